#include "platform/linux/ProcStat.h"
#include "platform/ProcessorTicks.h"
#include "samplers/CPUUsage.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace tarvo::platform {

// Columns: user nice system idle iowait irq softirq steal guest guest_nice. The sums: iowait is
// idle; irq, softirq and steal are system; the guest columns are in user and nice already.
TEST(ProcStat, SumsTheProcessorLinesOrRefusesTheReading) {
    const std::pair<std::string, std::optional<ProcessorTicks>> samples[] = {
        {"cpu  1000 1000 1000 1000 0 0 0 0 0 0\ncpu0 1 2 3 4 5 6 7 8 9 10\nintr 5 6 7\n",
         ProcessorTicks{1, 3 + 6 + 7 + 8, 4 + 5, 2}},
        {"cpu  9 9 9 9\ncpu2 1 0 0 1 0 0 0 0 0 0\ncpu0 1 0 0 1\ncpu7 1 0 0 1\nctxt 100\n",
         ProcessorTicks{3, 0, 3, 0}},
        {"cpu0 10 20 30 40\ncpu1 1 2 3 4", ProcessorTicks{11, 33, 44, 22}}, // old kernel
        {"cpu0 8589934592 0 0 1\n", ProcessorTicks{8589934592, 0, 1, 0}}};
    for (const auto& [text, expected] : samples) {
        EXPECT_EQ(parseProcStat(text), expected) << text;
    }
    for (const char* text :
         {"cpu0 1 2 3\n", "cpu0 1 2 x 4\n", "cpu0 1 -2 3 4\n", "cpu0 99999999999999999999 0 0 0\n",
          "cpu  1 2 3 4\nintr 1\n", "", "cpu0 1 1 1 1\ncpu1 1 1\n"}) {
        EXPECT_EQ(parseProcStat(text), std::nullopt) << text;
    }
}

TEST(LinuxCounters, ThisMachineShowsACoreKeptBusy) {
    CPUUsage usage;
    ASSERT_GE(usage.sample(), 0.0);
    const std::jthread busy([](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double load = usage.sample();
    EXPECT_TRUE(load > 0.0 && load <= 100.0) << load;
}

} // namespace tarvo::platform
