#pragma once

#include "platform/ProcessorTicks.h"

#include <cstdint>

namespace tarvo {

// Whole-machine CPU load: the share of scheduler ticks, over all processors, that were not idle
// since the previous call that got counters.
class CPUUsage {
public:
    static constexpr double unavailable = -1.0;

    // Percentage 0.0...100.0 since the previous reading, or -1.0 when the counters cannot be
    // read or make no sense.
    double sample();

    // The arithmetic of sample() for counters already read; moves the baseline.
    double measure(const platform::ProcessorTicks& ticks);

private:
    std::uint64_t previousTotalTicks = 0;
    std::uint64_t previousIdleTicks = 0;
};

} // namespace tarvo
