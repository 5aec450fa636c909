#include "profile/switcher_key.h"

#include <cstdio>

namespace torvane::profile {
namespace {

// Room for the key and ".json.lock" in a 255-byte file name.
constexpr std::size_t kMaxKeyLength = 200;

std::string HexByte(std::uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

// FNV-1a: stable across runs and systems, which std::hash is not.
std::uint64_t Fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

std::string KeyForMac(const std::array<std::uint8_t, 6>& mac) {
    std::string key = "mac";
    for (auto byte : mac) key += "-" + HexByte(byte);
    return key;
}

std::string KeyForSerialPort(std::string_view stableName) {
    std::string key = "serial-";
    for (char c : stableName) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        key += plain ? std::string(1, c) : "%" + HexByte(byte);
    }
    if (key.size() > kMaxKeyLength) {
        // '~' cannot come from the encoding above, so a cut key never
        // equals a whole one.
        const std::uint64_t hash = Fnv1a(stableName);
        std::string tail = "~";
        for (int shift = 56; shift >= 0; shift -= 8)
            tail += HexByte(static_cast<std::uint8_t>(hash >> shift));
        key = key.substr(0, kMaxKeyLength - tail.size()) + tail;
    }
    return key;
}

}  // namespace torvane::profile
