#include "samplers/CPUUsage.h"
#include "platform/macos/LoadRecords.h"
#include "platform/simulated/SimulatedSystem.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <tuple>
#include <vector>

namespace tarvo {

using platform::ProcessorTicks;

// Each row: a baseline (user, system, idle, nice), the next counters, and the busy share between:
// since boot; the worked example (total 400 / idle 300, then 600 / 450: 50 busy of 200); no tick,
// all idle, no idle, nice is busy; counters backwards; past 2^32.
TEST(CPUUsage, MeasuresTheBusyShareSinceTheBaseline) {
    using Interval = std::tuple<ProcessorTicks, ProcessorTicks, double>;
    for (const auto& [baseline, next, expected] :
         {Interval{{}, {30, 20, 450, 0}, 10.0}, Interval{{60, 40, 300, 0}, {90, 60, 450, 0}, 25.0},
          Interval{{5, 5, 90, 0}, {5, 5, 90, 0}, 0.0}, Interval{{5, 5, 90, 0}, {5, 5, 190, 0}, 0.0},
          Interval{{5, 5, 90, 0}, {55, 55, 90, 0}, 100.0},
          Interval{{5, 5, 90, 0}, {5, 5, 90, 100}, 100.0},
          Interval{{500, 0, 500, 0}, {400, 0, 500, 0}, -1.0},
          Interval{{0, 0, 500, 0}, {200, 0, 499, 0}, -1.0},
          Interval{{0, 0, 500, 0}, {1, 0, 499, 0}, -1.0},
          Interval{{0xFFFFFFF0u, 0, 100, 0}, {0x100000010u, 0, 100, 0}, 100.0}}) {
        CPUUsage usage;
        usage.measure(baseline);
        EXPECT_DOUBLE_EQ(usage.measure(next), expected) << next.user << " " << next.idle;
    }
}

// A failed read leaves the baseline where it was; counters that went backwards move it.
TEST(CPUUsage, SampleReadsThePlatformAndMovesTheBaselineOnlyWithCounters) {
    simulated::resetSystem();
    CPUUsage usage;
    using Sample = std::pair<std::optional<ProcessorTicks>, double>;
    for (const auto& [ticks, load] :
         {Sample{ProcessorTicks{100, 0, 300, 0}, 25.0}, Sample{std::nullopt, -1.0},
          Sample{ProcessorTicks{200, 0, 400, 0}, 50.0}, Sample{ProcessorTicks{10, 0, 10, 0}, -1.0},
          Sample{ProcessorTicks{20, 0, 30, 0}, 100.0 / 3.0}}) {
        simulated::system().processorTicks = ticks;
        EXPECT_DOUBLE_EQ(usage.sample(), load);
    }
}

// Two processors and a third that the count reports but the array lacks; counters past 2^31.
TEST(LoadRecords, SumsUserSystemIdleNiceOfTheProcessorsInTheArrayAsUnsigned) {
    const std::vector<std::int32_t> records{1,  2,  3,  4, std::numeric_limits<std::int32_t>::min(),
                                            -1, 30, 40, 7, 7};
    EXPECT_EQ(platform::sumLoadRecords(records, 3),
              (ProcessorTicks{0x80000001u, 0x100000001u, 33, 44}));
}

} // namespace tarvo
