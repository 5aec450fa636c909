#pragma once
// The line settings of a Windows serial port as the fields of its device
// control block, in the system's numbers, and the device path of a port
// name. Plain data, so the mapping is tested on every system.

#include <cstdint>
#include <string>

#include "links/serial_port.h"

namespace torvane {

struct DcbFields {
    std::uint32_t baudRate = 0;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = 0;   // NOPARITY 0, ODDPARITY 1, EVENPARITY 2, MARKPARITY 3, SPACEPARITY 4
    bool checkParity = false;  // fParity
    std::uint8_t stopBits = 0;    // ONESTOPBIT 0, TWOSTOPBITS 2
    std::uint8_t dtrControl = 0;  // DTR_CONTROL_DISABLE 0, DTR_CONTROL_ENABLE 1
    std::uint8_t rtsControl = 0;  // RTS_CONTROL_DISABLE 0, RTS_CONTROL_ENABLE 1

    bool operator==(const DcbFields&) const = default;
};

inline constexpr std::uint8_t kDcbOneStopBit = 0;
inline constexpr std::uint8_t kDcbTwoStopBits = 2;
inline constexpr std::uint8_t kDcbLineEnable = 1;

// Fills `fields` from `settings`. Returns an empty text on success, else
// what cannot be set (a baud rate of 0 or less, an unknown parity, data
// bits outside 5..8, stop bits other than 1 or 2); `fields` is then left
// unchanged.
std::string ApplySerialSettings(const SerialSettings& settings, DcbFields* fields);

// "COM12" -> "\\.\COM12": the name every port opens under (COM10 and above
// open by no other). A path already in that form is kept.
std::string WindowsDevicePath(const std::string& port);

}  // namespace torvane
