#pragma once
// The network configuration packet the program broadcasts, the switcher's
// answer to it, and the rules the configuration dialog checks its fields by.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "network/network_fields.h"
#include "platform/result.h"

namespace torvane {

inline constexpr std::size_t kConfigPacketSize = 76;
using ConfigPacket = std::array<std::uint8_t, kConfigPacketSize>;

// The address mode: kept for the whole run of the program.
enum class AddressMode : std::uint8_t { kAuto = 0, kStatic = 1 };

// What the operator left in the dialog's edits when pressing OK.
struct ConfigEdits {
    AddressFields ip;
    AddressFields netmask;
    AddressFields gateway;
    MacFields mac;
};

// The packet for the switcher whose MAC is `currentMac`. Static mode carries
// the new addresses; automatic mode zeros. The last byte is the plain 8-bit
// sum of the others.
ConfigPacket BuildConfigPacket(AddressMode mode, const MacFields& currentMac,
                               const ConfigEdits& edits);

// A datagram of at least kConfigPacketSize bytes whose byte 74 is 00.
bool IsConfigurationAnswer(const std::uint8_t* bytes, std::size_t count);

// A field's first two characters as hexadecimal digits; 00 when they are not.
std::uint8_t HexFieldValue(const std::string& field);
// What the dialog accepts: a decimal number from 0 to 255, and exactly two
// hexadecimal digits.
bool IsAddressByteText(const std::string& field);
bool IsMacByteText(const std::string& field);

// Each group of `edits` the packet cannot carry, in the dialog's order: bad
// input with the text the operator is shown ("IP Error!", "Netmask Error!",
// "GateWay Error!", "Mac Error!"). None when the packet can be built.
std::vector<Error> CheckConfigEdits(const ConfigEdits& edits);

}  // namespace torvane
