#pragma once
// The switcher's network settings as a discovery answer gives them, kept as
// the texts the configuration dialog shows and edits.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

inline constexpr std::size_t kDiscoveryAnswerMinSize = 50;
inline constexpr std::uint8_t kDiscoveryRequest = 0x61;  // 'a'

using MacFields = std::array<std::string, 6>;      // two upper-case hex digits each
using AddressFields = std::array<std::string, 4>;  // decimal byte values

struct NetworkFields {
    MacFields mac;
    AddressFields ip;
    AddressFields gateway;
    AddressFields netmask;
};

// Reads the fields of a datagram of at least kDiscoveryAnswerMinSize bytes;
// false (and `fields` untouched) for a shorter one.
bool ReadNetworkFields(const std::uint8_t* bytes, std::size_t count, NetworkFields* fields);
// Bytes 18 and 19 are 77 88, in a datagram long enough to carry the fields.
bool IsSwitcherAnswer(const std::uint8_t* bytes, std::size_t count);

// "10.0.0.100" from the four address fields, and back: the text split at its
// dots (missing parts empty).
std::string AddressText(const AddressFields& fields);
AddressFields SplitAddressText(const std::string& text);
// The pieces of `text` between any of `separators`, as typed: "1.2..3"
// gives four pieces, one of them empty.
std::vector<std::string> SplitAtAny(const std::string& text, const std::string& separators);
// The twelve digits without separators, and back in two-digit pieces.
std::string MacText(const MacFields& fields);
MacFields SplitMacText(const std::string& text);

}  // namespace torvane
