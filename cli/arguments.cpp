#include "cli/arguments.h"

#include <algorithm>
#include <cctype>

#include "profile/port_names.h"

namespace torvane::cli {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::optional<int> ReadNumber(const std::string& text, int min, int max) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    // Leading zeros carry nothing; what remains is compared by length first,
    // so no count of digits can overflow.
    const std::string digits = text.substr(std::min(text.find_first_not_of('0'), text.size()));
    if (digits.size() > 9) return std::nullopt;
    const int value = digits.empty() ? 0 : std::stoi(digits);
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::optional<bool> ReadOnOff(const std::string& text) {
    const std::string word = Lower(text);
    if (word == "on") return true;
    if (word == "off") return false;
    return std::nullopt;
}

std::optional<int> ReadInput(const std::string& text) {
    return profile::PortNumber(profile::PortKind::kInput, text);
}

std::optional<int> ReadInputOrAll(const std::string& text) {
    if (Lower(text) == "all") return 0;
    return ReadInput(text);
}

std::optional<int> ReadOutput(const std::string& text) {
    return profile::PortNumber(profile::PortKind::kOutput, text);
}

std::string OutputLetter(int output) { return profile::OutputLetter(output); }

bool LooksLikeOption(const std::string& text) { return text.size() > 1 && text[0] == '-'; }

}  // namespace torvane::cli
