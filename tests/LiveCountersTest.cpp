// The real kernel counters of the machine the tests run on. Each test fails where the piece it
// reads is broken, not only where it crashes.
#include "platform/InterfaceCounters.h"
#include "samplers/CPUUsage.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

TEST(LiveCounters, CPULoadShowsACoreKeptBusy) {
    CPUUsage usage;
    ASSERT_GE(usage.sample(), 0.0);
    std::atomic<bool> isDone = false;
    std::thread busy([&] {
        while (!isDone) {
        }
    });
    std::this_thread::sleep_for(300ms);
    const double load = usage.sample();
    isDone = true;
    busy.join();
    EXPECT_TRUE(load > 0.0 && load <= 100.0) << load;
}

// Two readings a moment apart (on Linux, a link dump and then a statistics dump): the same
// interfaces, and counters that neither go backwards nor jump. A 32-bit counter may wrap in
// between; that is rare enough to fail on.
TEST(LiveCounters, InterfaceCountersAreTheSameInterfacesMovingForward) {
    std::vector<platform::InterfaceCounters> first, later;
    ASSERT_TRUE(platform::readInterfaceCounters(first));
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(platform::readInterfaceCounters(later));
    ASSERT_EQ(later.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(later[i].index, first[i].index);
        EXPECT_LT(later[i].received - first[i].received, 100'000'000u) << "not another link";
        EXPECT_LT(later[i].sent - first[i].sent, 100'000'000u);
    }
#if defined(__APPLE__)
    // The Mac fetched these sources over one of its interfaces.
    EXPECT_EQ(platform::interfaceCounterBits(), 32u);
    EXPECT_TRUE(std::any_of(first.begin(), first.end(), [](auto& c) { return c.received > 0; }));
#endif
}

} // namespace
} // namespace tarvo
