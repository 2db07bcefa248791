// The real macOS platform layer on the machine the tests run on; built only on a Mac.
#include "platform/InterfaceTotals.h"
#include "platform/PreferredLanguages.h"
#include "platform/SMCDriver.h"
#include "samplers/CPUTemperature.h"
#include "samplers/CPUUsage.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

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
    const auto first = platform::readInterfaceTotals();
    const auto second = platform::readInterfaceTotals();
    ASSERT_TRUE(first && second);
    // A 32-bit counter may wrap between the two reads; that is rare enough to fail on.
    EXPECT_GE(second->down, first->down);
    EXPECT_GE(second->up, first->up);
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
