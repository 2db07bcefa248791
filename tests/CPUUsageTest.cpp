#include "samplers/CPUUsage.h"
#include "platform/macos/LoadRecords.h"
#include "platform/simulated/SimulatedSystem.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

using platform::ProcessorTicks;

struct Interval {
    const char* name;
    ProcessorTicks baseline; // user, system, idle, nice
    ProcessorTicks next;
    double expected;
};

class CPUUsageInterval : public testing::TestWithParam<Interval> {};

TEST_P(CPUUsageInterval, MeasuresBusyShareSinceBaseline) {
    CPUUsage usage;
    usage.measure(GetParam().baseline);
    EXPECT_DOUBLE_EQ(usage.measure(GetParam().next), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Intervals, CPUUsageInterval,
    testing::Values(
        Interval{"since_boot", {}, {30, 20, 450, 0}, 10.0},
        // total 400 / idle 300, then total 600 / idle 450: 50 busy of 200.
        Interval{"worked_example", {60, 40, 300, 0}, {90, 60, 450, 0}, 25.0},
        Interval{"no_tick_between", {5, 5, 90, 0}, {5, 5, 90, 0}, 0.0},
        Interval{"all_idle", {5, 5, 90, 0}, {5, 5, 190, 0}, 0.0},
        Interval{"no_idle", {5, 5, 90, 0}, {55, 55, 90, 0}, 100.0},
        Interval{"nice_is_busy", {5, 5, 90, 0}, {5, 5, 90, 100}, 100.0},
        Interval{"total_backwards", {500, 0, 500, 0}, {400, 0, 500, 0}, -1.0},
        Interval{"idle_backwards", {0, 0, 500, 0}, {200, 0, 499, 0}, -1.0},
        Interval{"idle_backwards_total_unchanged", {0, 0, 500, 0}, {1, 0, 499, 0}, -1.0},
        Interval{"past_2_pow_32", {0xFFFFFFF0u, 0, 100, 0}, {0x100000010u, 0, 100, 0}, 100.0}),
    [](const auto& info) { return std::string(info.param.name); });

// A failed read leaves the baseline where it was; counters that went backwards move it.
TEST(CPUUsage, SampleReadsThePlatformAndMovesTheBaselineOnlyWithCounters) {
    simulated::resetSystem();
    CPUUsage usage;
    const std::pair<std::optional<ProcessorTicks>, double> samples[] = {
        {ProcessorTicks{100, 0, 300, 0}, 25.0},
        {std::nullopt, -1.0},
        {ProcessorTicks{200, 0, 400, 0}, 50.0},
        {ProcessorTicks{10, 0, 10, 0}, -1.0},
        {ProcessorTicks{20, 0, 30, 0}, 100.0 / 3.0}};
    for (const auto& [ticks, load] : samples) {
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
