#pragma once
// The main window's timer ids and periods, in one place: the controller, the
// General page and the connection control arm them on the main window, and
// torvanectl waits as long as the window would.

#include "pages/command_owner.h"

namespace torvane::main_timer {

// The switcher answers a command within this time, else the command is sent
// once more (and then given up after as long again, for most commands).
inline constexpr int kCommandTimeoutMs = 3000;

// Refreshes the serial port list while no serial port is open; periodic.
inline constexpr int kPortRefresh = 1;
inline constexpr int kPortRefreshMs = 600;

// EDID and Matrix page entry: the page's queries get this long in all.
inline constexpr int kPageEntryTimeout = 1000;
inline constexpr int kPageEntryTimeoutMs = 7000;

// Discovery and network configuration.
inline constexpr int kDiscoveryAnswered = 1004;
inline constexpr int kDiscoveryClose = 1005;
inline constexpr int kConfigTimeout = 1008;

// Retry timers of the commands that are resent once; each has its give-up
// timer at the next id.
inline constexpr int kFirstInputStatus = 2000;   // 2000 to 2014: inputs 1 to 8
inline constexpr int kFirstOutputStatus = 2100;  // 2100 to 2114: outputs, see OutputStatusTimer
inline constexpr int kFactoryReset = 7043;
inline constexpr int kReboot = 7047;
inline constexpr int kPowerOn = 7052;

// Success sequences: the first shows the success text, the second closes.
inline constexpr int kFactoryResetDone = 7045;
inline constexpr int kFactoryResetClose = 7046;
inline constexpr int kRebootDone = 7049;
inline constexpr int kRebootClose = 7050;
inline constexpr int kPowerOnDone = 7054;
inline constexpr int kPowerOnClose = 7055;

// The status chain's retry timer of input or output n (1 to 8). The outputs'
// ids are not in order: G uses 2114 and H 2112.
int InputStatusTimer(int n);
int OutputStatusTimer(int n);

// How long the command on resend timer `retryTimer` waits for its answer.
CommandWait WaitOf(int retryTimer);

}  // namespace torvane::main_timer
