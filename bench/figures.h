#pragma once
// How benchmarks state their figures: milliseconds, and percentiles of a
// series of them.

#include <algorithm>
#include <chrono>
#include <vector>

namespace torvane::bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The value at fraction `p` (0.5 for the median) of `values`, nearest rank.
inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

}  // namespace torvane::bench
