#pragma once
// Byte helpers for tests: write frames as the hex the protocol documents use.

#include <cstdint>
#include <string>
#include <vector>

namespace torvane::test {

// "A5 5B 08 0C" -> {0xA5, 0x5B, 0x08, 0x0C}; spaces are optional.
std::vector<std::uint8_t> Hex(const std::string& text);
// {0xA5, 0x5B} -> "A5 5B"
std::string ToHex(const std::uint8_t* bytes, std::size_t count);
inline std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    return ToHex(bytes.data(), bytes.size());
}

}  // namespace torvane::test
