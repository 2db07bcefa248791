// The real macOS platform layer on the machine the tests run on; built only on a Mac. Each test
// fails where the piece it reads is broken, not only where it crashes.
#include "platform/InterfaceCounters.h"
#include "platform/PreferredLanguages.h"
#include "platform/SMCDriver.h"
#include "samplers/CPUSensorKeys.h"
#include "samplers/CPUTemperature.h"
#include "samplers/CPUUsage.h"
#include "samplers/FourCC.h"
#include "samplers/SMCClient.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <regex>
#include <thread>
#include <tuple>

namespace tarvo {

using namespace std::chrono_literals;

TEST(LiveMacOS, CPULoadShowsACoreKeptBusy) {
    CPUUsage usage;
    usage.sample();
    std::atomic<bool> isDone = false;
    std::thread busy([&] {
        while (!isDone) {
        }
    });
    std::this_thread::sleep_for(500ms);
    const double load = usage.sample();
    isDone = true;
    busy.join();
    EXPECT_TRUE(load > 0.0 && load <= 100.0) << load;
}

// The machine fetched these sources over one of its interfaces. A 32-bit counter may wrap between
// the two reads; that is rare enough to fail on.
TEST(LiveMacOS, InterfaceCountersHaveCountedTrafficAndDoNotGoBackwards) {
    std::vector<platform::InterfaceCounters> first, second;
    ASSERT_TRUE(platform::readInterfaceCounters(first));
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(platform::readInterfaceCounters(second));
    EXPECT_EQ(platform::interfaceCounterBits(), 32u);
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(first.size(), second.size());
    std::uint64_t received = 0;
    for (std::size_t i = 0; i < first.size(); ++i) {
        received += first[i].received;
        EXPECT_EQ(second[i].index, first[i].index);
        EXPECT_GE(second[i].received, first[i].received);
        EXPECT_GE(second[i].sent, first[i].sent);
    }
    EXPECT_GT(received, 0u);
}

TEST(LiveMacOS, PreferredLanguagesAreLanguageTags) {
    const std::vector<std::string> tags = platform::preferredLanguages();
    ASSERT_FALSE(tags.empty());
    for (const std::string& tag : tags) {
        EXPECT_TRUE(std::regex_match(tag, std::regex("[A-Za-z]{2,3}(-[A-Za-z0-9]+)*"))) << tag;
    }
}

// Either the SMC opens and answers a well-formed request for "#KEY", the number of keys, which
// every SMC has (so the record's layout and the call are right), with every CPU key decoding or
// failing in-band; or it is unavailable, and says why.
TEST(LiveMacOS, SMCAnswersOrIsUnavailableWithItsReason) {
    const auto reader = CPUTemperature::create([](double) {});
    reader->start();
    reader->stop();
    const platform::SMCConnection conn = platform::openSMC();
    EXPECT_EQ(reader->errorReason().has_value(), conn == 0);
    if (conn == 0) {
        return;
    }
    platform::SMCParamRecord request;
    request.key = smc::fourCC("#KEY");
    request.command = platform::smcReadKeyInfo;
    platform::SMCParamRecord reply;
    EXPECT_TRUE(platform::callSMC(conn, request, reply));
    EXPECT_EQ(std::tuple(reply.result, reply.dataSize), std::tuple(0, 4u));
    for (const std::string_view key : smc::cpuTemperatureKeys) {
        const auto celsius = smc::readKey(conn, key);
        EXPECT_TRUE(!celsius || !std::isinf(*celsius)) << key;
    }
    platform::closeSMC(conn);
}

} // namespace tarvo
