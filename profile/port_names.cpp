#include "profile/port_names.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>
#include <vector>

namespace torvane::profile {
namespace {

std::string JsonString(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string PortId(PortKind kind, int port) {
    return kind == PortKind::kInput ? std::to_string(port) : OutputLetter(port);
}

// "3 "Apple TV", 5 "Blu-ray"": each named port with its name, as the
// operator may type either.
std::string Listing(PortKind kind, const std::vector<int>& ports, const PortNames& names) {
    std::string out;
    for (int port : ports) {
        if (!out.empty()) out += ", ";
        out += PortId(kind, port) + " " + JsonString(names[port - 1]);
    }
    return out;
}

std::vector<int> Matching(const std::string& text, const PortNames& names, bool exact) {
    std::vector<int> found;
    for (int port = 1; port <= kPorts; ++port) {
        const std::string& name = names[port - 1];
        if (name.empty()) continue;
        if (exact ? name == text : SameIgnoringAsciiCase(name, text)) found.push_back(port);
    }
    return found;
}

}  // namespace

std::optional<int> PortNumber(PortKind kind, const std::string& text) {
    if (kind == PortKind::kOutput && text.size() == 1) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        if (c >= 'A' && c < 'A' + kPorts) return c - 'A' + 1;
    }
    if (text.empty()) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        // Leading zeros carry nothing; past the last port nothing can fit.
        value = std::min(value * 10 + (c - '0'), kPorts + 1);
    }
    if (value < 1 || value > kPorts) return std::nullopt;
    return value;
}

std::string OutputLetter(int output) { return std::string(1, static_cast<char>('A' + output - 1)); }

Result<int> ReadPort(PortKind kind, const std::string& text, const PortNames& names) {
    if (const auto literal = PortNumber(kind, text)) return *literal;
    std::vector<int> found = Matching(text, names, true);
    if (found.empty()) found = Matching(text, names, false);
    if (found.size() == 1) return found.front();

    const char* what = kind == PortKind::kInput ? "input" : "output";
    const std::string range = kind == PortKind::kInput ? "1-8" : "A-H (or 1-8)";
    if (found.size() > 1)
        return BadInput(std::string(what) + " name " + JsonString(text) +
                        " is ambiguous: " + Listing(kind, found, names) + "; give the " + what +
                        "'s " + (kind == PortKind::kInput ? "number" : "letter"));
    std::vector<int> named;
    for (int port = 1; port <= kPorts; ++port)
        if (!names[port - 1].empty()) named.push_back(port);
    std::string error = "no " + std::string(what) + " " + JsonString(text) + ": give " + range;
    if (!named.empty()) error += " or a name: " + Listing(kind, named, names);
    return BadInput(error);
}

}  // namespace torvane::profile
