#pragma once
// What the window tells the operator when a link fails by itself or cannot
// be opened.

#include <string>

namespace torvane {

inline constexpr const char* kSerialPortFailed = "Serial port failed!";
inline constexpr const char* kConnectionLost = "Connection to Matrix lost!";
// The link stayed open but the switcher stopped answering the program's own
// queries, so the link was closed.
inline constexpr const char* kSwitcherNotAnswering = "Matrix not answering!";

// "Connect to Matrix failed!" with the reason the system gave.
inline std::string ConnectFailedText(const std::string& reason) {
    return "Connect to Matrix failed! (" + reason + ")";
}

}  // namespace torvane
