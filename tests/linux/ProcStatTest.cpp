#include "platform/linux/ProcStat.h"
#include "platform/ProcessorTicks.h"
#include "samplers/CPUUsage.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace tarvo::platform {
namespace {

struct Sample {
    const char* name;
    std::string text;
    std::optional<ProcessorTicks> expected;
};

ProcessorTicks sums(std::uint64_t user, std::uint64_t system, std::uint64_t idle,
                    std::uint64_t nice) {
    return {user, system, idle, nice};
}

class ProcStatSample : public testing::TestWithParam<Sample> {};

TEST_P(ProcStatSample, SumsProcessorLines) {
    const auto parsed = parseProcStat(GetParam().text);
    ASSERT_EQ(parsed.has_value(), GetParam().expected.has_value());
    if (parsed) {
        EXPECT_EQ(parsed->user, GetParam().expected->user);
        EXPECT_EQ(parsed->system, GetParam().expected->system);
        EXPECT_EQ(parsed->idle, GetParam().expected->idle);
        EXPECT_EQ(parsed->nice, GetParam().expected->nice);
    }
}

// Columns: user nice system idle iowait irq softirq steal guest guest_nice.
INSTANTIATE_TEST_SUITE_P(
    Samples, ProcStatSample,
    testing::Values(
        Sample{"aggregate_line_is_not_a_processor",
               "cpu  1000 1000 1000 1000 0 0 0 0 0 0\n"
               "cpu0 1 2 3 4 5 6 7 8 9 10\n"
               "intr 5 6 7\n",
               sums(1, 3 + 6 + 7 + 8, 4 + 5, 2)},
        Sample{"three_processors_numbered_out_of_order",
               "cpu  9 9 9 9 9 9 9 9 0 0\ncpu2 1 0 0 1 0 0 0 0 0 0\ncpu0 1 0 0 1 0 0 0 0 0 0\n"
               "cpu7 1 0 0 1 0 0 0 0 0 0\nctxt 100\n",
               sums(3, 0, 3, 0)},
        Sample{"old_kernel_with_four_columns", "cpu0 10 20 30 40\ncpu1 1 2 3 4\n",
               sums(11, 33, 44, 22)},
        Sample{"values_beyond_32_bits", "cpu0 8589934592 0 0 1\n", sums(8589934592, 0, 1, 0)},
        Sample{"no_trailing_newline", "cpu0 1 1 1 1", sums(1, 1, 1, 1)},
        Sample{"missing_columns", "cpu0 1 2 3\n", std::nullopt},
        Sample{"not_a_number", "cpu0 1 2 x 4\n", std::nullopt},
        Sample{"negative", "cpu0 1 -2 3 4\n", std::nullopt},
        Sample{"overflowing_column", "cpu0 99999999999999999999 0 0 0\n", std::nullopt},
        Sample{"no_processor_lines", "cpu  1 2 3 4\nintr 1\n", std::nullopt},
        Sample{"empty", "", std::nullopt},
        Sample{"one_bad_processor_spoils_the_reading", "cpu0 1 1 1 1\ncpu1 1 1\n", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinuxCounters, ThisMachineAnswers) {
    ASSERT_TRUE(readProcessorTicks().has_value());
    CPUUsage usage;
    usage.sample();
    const double load = usage.sample();
    EXPECT_TRUE(load == -1.0 || (load >= 0.0 && load <= 100.0)) << load;
}

} // namespace
} // namespace tarvo::platform
