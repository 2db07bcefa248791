#include "samplers/CPUUsage.h"
#include "platform/macos/LoadRecords.h"
#include "platform/simulated/SimulatedSystem.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace tarvo {
namespace {

using platform::ProcessorTicks;

ProcessorTicks ticks(std::uint64_t user, std::uint64_t system, std::uint64_t idle,
                     std::uint64_t nice) {
    return {user, system, idle, nice};
}

struct Interval {
    const char* name;
    ProcessorTicks baseline;
    ProcessorTicks next;
    double expected;
};

class CPUUsageInterval : public testing::TestWithParam<Interval> {};

TEST_P(CPUUsageInterval, MeasuresBusyShareSinceBaseline) {
    const Interval& interval = GetParam();
    CPUUsage usage;
    usage.measure(interval.baseline);
    EXPECT_DOUBLE_EQ(usage.measure(interval.next), interval.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Intervals, CPUUsageInterval,
    testing::Values(
        // total 400 / idle 300, then total 600 / idle 450: 50 busy of 200.
        Interval{"worked_example", ticks(60, 40, 300, 0), ticks(90, 60, 450, 0), 25.0},
        Interval{"no_tick_between", ticks(5, 5, 90, 0), ticks(5, 5, 90, 0), 0.0},
        Interval{"all_idle", ticks(5, 5, 90, 0), ticks(5, 5, 190, 0), 0.0},
        Interval{"no_idle", ticks(5, 5, 90, 0), ticks(55, 55, 90, 0), 100.0},
        Interval{"nice_is_busy", ticks(5, 5, 90, 0), ticks(5, 5, 90, 100), 100.0},
        Interval{"total_backwards", ticks(500, 0, 500, 0), ticks(400, 0, 500, 0), -1.0},
        Interval{"idle_backwards", ticks(0, 0, 500, 0), ticks(200, 0, 499, 0), -1.0},
        Interval{"idle_backwards_total_unchanged", ticks(0, 0, 500, 0), ticks(1, 0, 499, 0), -1.0},
        Interval{"counters_past_2_pow_32", ticks(0xFFFFFFF0u, 0, 100, 0),
                 ticks(0x100000010u, 0, 100, 0), 100.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CPUUsage, NewSamplerMeasuresSinceBoot) {
    CPUUsage usage;
    EXPECT_DOUBLE_EQ(usage.measure(ticks(30, 20, 450, 0)), 10.0);
}

TEST(CPUUsage, UnmeasurableIntervalMovesBaselineSoNextCallMeasuresNormally) {
    CPUUsage usage;
    usage.measure(ticks(1000, 0, 1000, 0));
    EXPECT_EQ(usage.measure(ticks(10, 0, 10, 0)), -1.0);
    EXPECT_DOUBLE_EQ(usage.measure(ticks(20, 0, 30, 0)), 1.0 / 3.0 * 100.0);
}

TEST(CPUUsage, SampleReadsThePlatformAndFailureKeepsTheBaseline) {
    simulated::resetSystem();
    auto& system = simulated::system();
    CPUUsage usage;
    system.processorTicks = ticks(100, 0, 300, 0);
    EXPECT_DOUBLE_EQ(usage.sample(), 25.0);

    system.processorTicks.reset();
    EXPECT_EQ(usage.sample(), -1.0);

    // The next good reading spans the failed one: 100 busy of 200 since the first sample.
    system.processorTicks = ticks(200, 0, 400, 0);
    EXPECT_DOUBLE_EQ(usage.sample(), 50.0);
    EXPECT_EQ(system.processorTicksReads, 3);
}

TEST(LoadRecords, SumsEveryReportedProcessorInUserSystemIdleNiceOrder) {
    const std::vector<std::int32_t> records{1, 2, 3, 4, 10, 20, 30, 40, 100, 200, 300, 400};
    const ProcessorTicks sums = platform::sumLoadRecords(records, 3);
    EXPECT_EQ(sums.user, 111u);
    EXPECT_EQ(sums.system, 222u);
    EXPECT_EQ(sums.idle, 333u);
    EXPECT_EQ(sums.nice, 444u);
}

TEST(LoadRecords, ReadsCountersAsUnsignedBeforeWidening) {
    const std::vector<std::int32_t> records{std::numeric_limits<std::int32_t>::min(), -1, 0, 0};
    const ProcessorTicks sums = platform::sumLoadRecords(records, 1);
    EXPECT_EQ(sums.user, 0x80000000u);
    EXPECT_EQ(sums.system, 0xFFFFFFFFu);
}

TEST(LoadRecords, TrustsTheProcessorCountNoFurtherThanTheArray) {
    const std::vector<std::int32_t> records{1, 1, 1, 1, 2, 2};
    const ProcessorTicks sums = platform::sumLoadRecords(records, 8);
    EXPECT_EQ(sums.user + sums.system + sums.idle + sums.nice, 4u);
}

} // namespace
} // namespace tarvo
