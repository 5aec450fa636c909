#include "network/network_fields.h"

#include <cstdio>

namespace torvane {
namespace {

AddressFields ReadAddress(const std::uint8_t* bytes) {
    AddressFields fields;
    for (std::size_t i = 0; i < 4; ++i) fields[i] = std::to_string(bytes[i]);
    return fields;
}

}  // namespace

bool ReadNetworkFields(const std::uint8_t* bytes, std::size_t count, NetworkFields* fields) {
    if (count < kDiscoveryAnswerMinSize) return false;
    for (std::size_t i = 0; i < 6; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
        fields->mac[i] = hex;
    }
    fields->ip = ReadAddress(bytes + 6);
    fields->gateway = ReadAddress(bytes + 10);
    fields->netmask = ReadAddress(bytes + 14);
    return true;
}

bool IsSwitcherAnswer(const std::uint8_t* bytes, std::size_t count) {
    return count >= kDiscoveryAnswerMinSize && bytes[18] == 0x77 && bytes[19] == 0x88;
}

std::string AddressText(const AddressFields& fields) {
    return fields[0] + "." + fields[1] + "." + fields[2] + "." + fields[3];
}

AddressFields SplitAddressText(const std::string& text) {
    AddressFields fields;
    std::size_t part = 0;
    for (char c : text) {
        if (c == '.') {
            if (++part == fields.size()) break;
            continue;
        }
        fields[part] += c;
    }
    return fields;
}

std::vector<std::string> SplitAtAny(const std::string& text, const std::string& separators) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (separators.find(c) != std::string::npos)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string MacText(const MacFields& fields) {
    std::string text;
    for (const auto& field : fields) text += field;
    return text;
}

MacFields SplitMacText(const std::string& text) {
    MacFields fields;
    for (std::size_t i = 0; i < fields.size() && 2 * i < text.size(); ++i)
        fields[i] = text.substr(2 * i, 2);
    return fields;
}

}  // namespace torvane
