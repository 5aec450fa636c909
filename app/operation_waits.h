#pragma once
// How long the operations wait, and how a wait that ran out reads. The
// window's own timers end almost every path; most limits are safety nets.

#include "app/main_timers.h"
#include "platform/result.h"

namespace torvane::operation_waits {

// Each answer of a chain without time-outs of its own (the queries that
// follow a new link, the identity, the device text) gets a command's time.
inline constexpr int kAnswerMs = main_timer::kCommandTimeoutMs;
inline constexpr int kConnectMs = 5000;
inline constexpr int kTimedCommandMs = 60000;
inline constexpr int kPageMs = 150000;
inline constexpr int kEdidMs = 60000;
inline constexpr int kUpgradeMs = 15 * 60 * 1000;
// Power off and beep have no time-out of their own: the switcher answers
// within a command's time or not at all.
inline constexpr int kUntimedCommandMs = main_timer::kCommandTimeoutMs;

inline constexpr const char* kTimeOut = "Time out!";
inline Error TimedOut() { return {Error::Kind::kTimedOut, kTimeOut}; }

}  // namespace torvane::operation_waits
