#include "samplers/CPUUsage.h"

#include <algorithm>

namespace tarvo {

double CPUUsage::sample() {
    const auto ticks = platform::readProcessorTicks();
    return ticks ? measure(*ticks) : unavailable;
}

double CPUUsage::measure(const platform::ProcessorTicks& ticks) {
    const std::uint64_t total = ticks.user + ticks.system + ticks.nice + ticks.idle;
    const std::uint64_t idle = ticks.idle;
    // A wrapped counter or a processor that went away makes the totals shrink: the interval
    // cannot be measured, so report it as unavailable and measure from here next time.
    const bool wentBackwards = total < previousTotalTicks || idle < previousIdleTicks;
    const std::uint64_t totalDelta = total - previousTotalTicks;
    const std::uint64_t idleDelta = idle - previousIdleTicks;
    previousTotalTicks = total;
    previousIdleTicks = idle;

    if (wentBackwards || idleDelta > totalDelta) {
        return unavailable;
    }
    if (totalDelta == 0) {
        return 0.0;
    }
    const double busy =
        static_cast<double>(totalDelta - idleDelta) / static_cast<double>(totalDelta) * 100.0;
    return std::clamp(busy, 0.0, 100.0);
}

} // namespace tarvo
