// The real macOS platform layer on the machine the tests run on; built only on a Mac.
#include "platform/InterfaceCounters.h"
#include "platform/PreferredLanguages.h"
#include "platform/SMCDriver.h"
#include "samplers/CPUTemperature.h"
#include "samplers/CPUUsage.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace tarvo {
namespace {

TEST(LiveMacOS, CPULoadIsAPercentageAfterAShortWait) {
    CPUUsage usage;
    usage.sample();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double load = usage.sample();
    EXPECT_GE(load, 0.0);
    EXPECT_LE(load, 100.0);
}

TEST(LiveMacOS, InterfaceCountersDoNotGoBackwards) {
    std::vector<platform::InterfaceCounters> first;
    std::vector<platform::InterfaceCounters> second;
    ASSERT_TRUE(platform::readInterfaceCounters(first) && platform::readInterfaceCounters(second));
    ASSERT_EQ(first.size(), second.size());
    // A 32-bit counter may wrap between the two reads; that is rare enough to fail on.
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(second[i].index, first[i].index);
        EXPECT_GE(second[i].received, first[i].received);
    }
}

TEST(LiveMacOS, PreferredLanguagesAreTags) {
    for (const std::string& tag : platform::preferredLanguages()) {
        EXPECT_FALSE(tag.empty());
    }
}

TEST(LiveMacOS, SMCOpensOrReportsUnavailableWithoutCrashing) {
    const platform::SMCConnection conn = platform::openSMC();
    if (conn != 0) {
        platform::closeSMC(conn);
    }
    const auto reader = CPUTemperature::create([](double) {});
    reader->start();
    reader->stop();
    const auto reason = reader->errorReason();
    EXPECT_EQ(reason.has_value(), conn == 0);
}

} // namespace
} // namespace tarvo
