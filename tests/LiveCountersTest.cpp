// The real kernel counters of the machine the tests run on. Each test fails where the piece it
// reads is broken, not only where it crashes.
#include "platform/InterfaceCounters.h"
#include "samplers/CPUUsage.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <regex>
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

// Whether getifaddrs, a witness apart from the code under test, shows a link that counts: up, not
// loopback, named like Ethernet, Wi-Fi or mobile data.
bool hasCountedLink() {
    const std::regex counted("(en|eth|wl|ww|pdp_ip).*"); // Linux's names and the Mac's
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return false;
    }
    bool found = false;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        found = found || ((entry->ifa_flags & (IFF_UP | IFF_LOOPBACK)) == IFF_UP &&
                          std::regex_match(entry->ifa_name, counted));
    }
    freeifaddrs(list);
    return found;
}

// Two readings a moment apart (on Linux, a link dump and then a statistics dump): the machine's
// counted links, the same both times, with counters that neither go backwards nor jump.
TEST(LiveCounters, InterfaceCountersAreTheMachinesLinksMovingForward) {
    if (!hasCountedLink()) {
        GTEST_SKIP() << "getifaddrs shows no up link named like Ethernet, Wi-Fi or mobile data";
    }
    std::vector<platform::InterfaceCounters> first, later;
    ASSERT_TRUE(platform::readInterfaceCounters(first));
    ASSERT_FALSE(first.empty()) << "the machine's counted links were not read";
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
    EXPECT_TRUE(std::any_of(first.begin(), first.end(), [](auto& c) { return c.received > 0; }));
#endif
}

} // namespace
} // namespace tarvo
