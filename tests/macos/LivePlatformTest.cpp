// The rest of the real macOS platform layer (its counters: LiveCountersTest.cpp) on the Mac the
// tests run on. Each test fails where the piece it reads is broken, not only where it crashes.
#include "platform/PreferredLanguages.h"
#include "platform/SMCDriver.h"
#include "samplers/CPUTemperature.h"
#include "samplers/FourCC.h"
#include "samplers/SMCClient.h"

#include <IOKit/IOKitLib.h>
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

// On Apple hardware the SMC opens, answers a well-formed request for "#KEY", the number of keys,
// which every SMC has (so the record's layout and the call are right), and gives a plausible
// reading for a core key or the die average (the keys spelt out, so a wrong one in the program
// shows). A virtual Mac has no AppleSMC: the reader says why.
TEST(LiveMacOS, SMCGivesAPlausibleCPUTemperatureWhereTheMacHasOne) {
    const io_service_t service =
        IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSMC"));
    const auto reader = CPUTemperature::create([](double) {});
    reader->start();
    reader->stop();
    EXPECT_EQ(reader->errorReason().has_value(), service == 0);
    if (service == 0) {
        GTEST_SKIP() << "no AppleSMC service (a virtual machine?)";
    }
    IOObjectRelease(service);
    const platform::SMCConnection conn = platform::openSMC();
    ASSERT_NE(conn, 0u);
    platform::SMCParamRecord request;
    request.key = smc::fourCC("#KEY");
    request.command = platform::smcReadKeyInfo;
    platform::SMCParamRecord reply;
    EXPECT_TRUE(platform::callSMC(conn, request, reply));
    EXPECT_EQ(std::tuple(reply.result, reply.dataSize), std::tuple(0, 4u));
    bool isAnyPlausible = false;
    for (const char* key :
         {"Tp01", "Tp05", "Tp09", "Tp0D", "Te05", "Te0S", "Te09", "Te0H", "TCMb"}) {
        const auto celsius = smc::readKey(conn, key);
        EXPECT_TRUE(!celsius || !std::isinf(*celsius)) << key;
        isAnyPlausible = isAnyPlausible || (celsius && *celsius > 10.0 && *celsius < 115.0);
    }
    EXPECT_TRUE(isAnyPlausible);
    platform::closeSMC(conn);
}

} // namespace tarvo
