#pragma once
// Finding the serial ports that are present and free, and reading a port
// number out of a port's name. Pure logic over a PortSource.

#include <cstdint>
#include <string>
#include <vector>

#include "links/port_source.h"
#include "platform/result.h"

namespace torvane {

// Empties `list` and fills it with the ports the source finds, then finishes
// the records (names filled in where missing); with `probeBusy` ports that
// cannot be opened right now are left out. A failure carries the source's
// reason, the text the operator may be shown; the records found before it
// stay in `list`, unfinished.
Status CollectSerialPorts(PortSource& source, std::vector<SSerInfo>& list, bool probeBusy);

// "7" -> 7, "12" -> 12, "x5" -> 5, "300" -> 44 (kept to 8 bits); an empty text
// or one of four characters or more gives 0.
std::uint8_t ParsePortNumber(const std::string& text);

// The number in the "(COMn)" tail of the friendly name, read with
// ParsePortNumber; "USB Serial Port (COM12)" -> 12.
std::uint8_t PortNumberOf(const SSerInfo& port);

// The text after the first three characters ("COM12" -> "12"); empty when
// the text is shorter.
std::string WithoutFirstThree(const std::string& text);

}  // namespace torvane
