#pragma once
// Runs a real loop until a benchmark's condition holds or `maxMs` pass.

#include <functional>

#include "platform/poll_loop.h"

namespace torvane::bench {

inline bool RunUntil(PollLoop& loop, const std::function<bool()>& done, TimeMs maxMs) {
    const TimeMs end = loop.Now() + maxMs;
    while (!done() && loop.Now() < end) loop.RunOnce(end - loop.Now());
    return done();
}

}  // namespace torvane::bench
