#include "support/bytes.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace torvane::test {

std::vector<std::uint8_t> Hex(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (!std::isspace(static_cast<unsigned char>(c)))
            throw std::invalid_argument("bad hex: " + text);
    if (digits.size() % 2) throw std::invalid_argument("odd hex: " + text);
    for (size_t i = 0; i < digits.size(); i += 2)
        out.push_back(std::stoi(digits.substr(i, 2), nullptr, 16));
    return out;
}

std::string ToHex(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        out += buf;
    }
    return out;
}

}  // namespace torvane::test
