#pragma once
// A USB serial adapter plugged out and in again may come back under another
// name (/dev/ttyUSB0 becomes /dev/ttyUSB1); its link in /dev/serial/by-id
// names the adapter itself and follows it. The port is reopened by that
// name when there is one.

#include <string>

namespace torvane {

inline constexpr const char* kSerialByIdFolder = "/dev/serial/by-id";

// The link in `byIdFolder` that leads to the same device as `devicePath`, or
// `devicePath` itself when none does (or it is such a link already).
std::string StableSerialPath(const std::string& devicePath,
                             const std::string& byIdFolder = kSerialByIdFolder);

}  // namespace torvane
