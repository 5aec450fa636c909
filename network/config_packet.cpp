#include "network/config_packet.h"

#include <algorithm>
#include <cctype>

namespace torvane {
namespace {

constexpr std::size_t kRequestMarkAt = 74;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool AllDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Fields are checked by the dialog before a packet is built; a value that
// slipped past would still fit one byte.
std::uint8_t DecimalFieldValue(const std::string& field) {
    unsigned value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 0xFFFF) break;
    }
    return static_cast<std::uint8_t>(value);
}

void PutAddress(ConfigPacket& packet, std::size_t at, const AddressFields& fields) {
    for (std::size_t i = 0; i < 4; ++i) packet[at + i] = DecimalFieldValue(fields[i]);
}

void PutMac(ConfigPacket& packet, std::size_t at, const MacFields& fields) {
    for (std::size_t i = 0; i < 6; ++i) packet[at + i] = HexFieldValue(fields[i]);
}

}  // namespace

std::uint8_t HexFieldValue(const std::string& field) {
    if (field.size() < 2) return 0;
    const int high = HexDigit(field[0]);
    const int low = HexDigit(field[1]);
    if (high < 0 || low < 0) return 0;
    return static_cast<std::uint8_t>(high << 4 | low);
}

bool IsAddressByteText(const std::string& field) {
    return !field.empty() && field.size() <= 3 && AllDigits(field) && std::stoi(field) <= 255;
}

bool IsMacByteText(const std::string& field) {
    return field.size() == 2 && HexDigit(field[0]) >= 0 && HexDigit(field[1]) >= 0;
}

ConfigPacket BuildConfigPacket(AddressMode mode, const MacFields& currentMac,
                               const ConfigEdits& edits) {
    ConfigPacket packet{};
    PutMac(packet, 0, currentMac);
    const bool isStatic = mode == AddressMode::kStatic;
    if (isStatic) {
        PutAddress(packet, 6, edits.ip);
        PutAddress(packet, 10, edits.gateway);
        PutAddress(packet, 14, edits.netmask);
    }
    packet[18] = isStatic ? 0x00 : 0x01;
    PutMac(packet, 19, edits.mac);
    packet[25] = isStatic ? 0x17 : 0x16;
    packet[kRequestMarkAt] = 0xFF;
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < kConfigPacketSize; ++i) sum += packet[i];
    packet[kConfigPacketSize - 1] = static_cast<std::uint8_t>(sum);
    return packet;
}

bool IsConfigurationAnswer(const std::uint8_t* bytes, std::size_t count) {
    return count >= kConfigPacketSize && bytes[kRequestMarkAt] == 0x00;
}

namespace {

// The packet carries one byte per field: a field that is empty or does not
// fit its byte fails its group, where a larger value would silently become
// another address.
template <std::size_t N>
bool GroupFails(const std::array<std::string, N>& fields, bool (*valid)(const std::string&)) {
    return !std::all_of(fields.begin(), fields.end(), valid);
}

}  // namespace

std::vector<Error> CheckConfigEdits(const ConfigEdits& edits) {
    std::vector<Error> failures;
    if (GroupFails(edits.ip, IsAddressByteText)) failures.push_back(BadInput("IP Error!"));
    if (GroupFails(edits.netmask, IsAddressByteText))
        failures.push_back(BadInput("Netmask Error!"));
    if (GroupFails(edits.gateway, IsAddressByteText))
        failures.push_back(BadInput("GateWay Error!"));
    if (GroupFails(edits.mac, IsMacByteText)) failures.push_back(BadInput("Mac Error!"));
    return failures;
}

}  // namespace torvane
