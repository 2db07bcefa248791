// The rest of the real macOS platform layer (its counters: LiveCountersTest.cpp) on the Mac the
// tests run on. Each test fails where the piece it reads is broken, not only where it crashes.
#include "platform/PreferredLanguages.h"
#include "platform/SMCDriver.h"
#include "samplers/CPUSensorKeys.h"
#include "samplers/CPUTemperature.h"
#include "samplers/FourCC.h"
#include "samplers/SMCClient.h"

#include <cmath>
#include <gtest/gtest.h>
#include <regex>
#include <tuple>

namespace tarvo {

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
