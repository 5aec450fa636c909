#pragma once
// Which profile belongs to which switcher: a key made from the switcher's
// identity that is also a safe file name on every system (letters, digits,
// '-', '_', '.', '%' and '~' only, never "." or "..", never longer than a
// file name may be). Two identities share a key only when a serial port's
// name is so long that its key ends in a hash and the hashes meet.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace torvane::profile {

// A switcher reached by TCP: its MAC, "mac-02-54-56-00-00-01".
std::string KeyForMac(const std::array<std::uint8_t, 6>& mac);

// A switcher reached by a serial port: the port's stable name (the
// /dev/serial/by-id/... path of a USB adapter where there is one), with every
// byte outside letters, digits, '-', '_' and '.' written as %XX:
// "serial-%2Fdev%2FttyUSB0". A name too long for a file name is cut and ends
// in a hash of the whole.
std::string KeyForSerialPort(std::string_view stableName);

}  // namespace torvane::profile
