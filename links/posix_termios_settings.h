#pragma once
// The line settings of a serial port as termios: raw bytes, the given baud
// rate, parity, data and stop bits, no flow control, and lines that stay as
// they are when the port closes.

#include <termios.h>

#include <string>

#include "links/serial_port.h"

namespace torvane {

// Applies `settings` to `tio` (read from the port first). Returns an empty
// text on success, else what cannot be set (a baud rate without a termios
// speed, a parity the platform lacks, data bits outside 5..8, stop bits
// other than 1 or 2); `tio` is then left unchanged.
std::string ApplySerialSettings(const SerialSettings& settings, termios* tio);

}  // namespace torvane
