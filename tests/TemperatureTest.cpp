// The SMC client and the temperature reader, on the simulated SMC.
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "samplers/CPUTemperature.h"
#include "samplers/FourCC.h"
#include "samplers/SMCClient.h"
#include "samplers/SMCValue.h"
#include "support/SMCKeys.h"

#include <array>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace tarvo::smc {

using simulated::SMCKey;
using Bytes = std::array<std::uint8_t, sizeof(platform::SMCParamRecord)>;

// The record as the driver sees it, its padding (whose contents do not matter) zeroed.
Bytes bytesOf(const platform::SMCParamRecord& record) {
    Bytes bytes;
    std::memcpy(bytes.data(), &record, bytes.size());
    for (const int padding : {10, 11, 37, 43}) {
        bytes[padding] = 0;
    }
    return bytes;
}

std::optional<double> readScriptedKey(const SMCKey& key) {
    simulated::resetSMC();
    simulated::smc().keys[fourCC("Tp01")] = key;
    return readKey(platform::openSMC(), "Tp01");
}

TEST(SMCClient, SendsKeyInformationThenKeyBytesRequestsByteForByte) {
    EXPECT_EQ(readScriptedKey({.dataType = fourCC("sp78"), .bytes = {0x2D, 0x80}}), 45.5);
    const auto& requests = simulated::smc().requests;
    ASSERT_EQ(requests.size(), 2u);
    Bytes info{};
    info[0] = 0x31, info[1] = 0x30, info[2] = 0x70, info[3] = 0x54;
    info[42] = 9;
    EXPECT_EQ(bytesOf(requests[0]), info);
    // The size learnt from the first reply is carried; the type is not.
    Bytes keyBytes = info;
    keyBytes[28] = 2;
    keyBytes[42] = 5;
    EXPECT_EQ(bytesOf(requests[1]), keyBytes);
}

// A failed step yields nothing for the key; a failed key information costs no second call.
TEST(SMCClient, ReadsUpToThirtyTwoBytesAndNothingWhenAnyStepFails) {
    std::vector<std::uint8_t> wholeField(32);
    wholeField[2] = 0x34, wholeField[3] = 0x42;
    EXPECT_EQ(readScriptedKey({.dataType = fourCC("flt "), .bytes = wholeField}), 45.0);

    using enum simulated::SMCFault;
    const std::vector<std::uint8_t> b{0x2D, 0x80};
    const std::uint32_t sp78 = fourCC("sp78");
    using Row = std::tuple<const char*, SMCKey, std::size_t>; // name, key, calls made
    for (const auto& [name, key, calls] :
         {Row{"info call fails", {.dataType = sp78, .bytes = b, .infoFault = callFails}, 1},
          Row{"info result", {.dataType = sp78, .bytes = b, .infoFault = resultNonzero}, 1},
          Row{"size 0", {.dataType = sp78, .bytes = b, .reportedSize = 0}, 1},
          Row{"size 33", {.dataType = sp78, .bytes = b, .reportedSize = 33}, 1},
          Row{"bytes call fails", {.dataType = sp78, .bytes = b, .bytesFault = callFails}, 2},
          Row{"bytes result", {.dataType = sp78, .bytes = b, .bytesFault = resultNonzero}, 2},
          Row{"short flt", {.dataType = fourCC("flt "), .bytes = {0x00, 0x00, 0x34}}, 2}}) {
        EXPECT_EQ(readScriptedKey(key), std::nullopt) << name;
        EXPECT_EQ(simulated::smc().requests.size(), calls) << name;
    }
}

// flt is little-endian, like every host; fpe2 big-endian; a lone sp78 or sp87 byte is unsigned.
TEST(SMCDecoding, DecodesTheValueBytesOfEachType) {
    const std::optional<double> none;
    using Row = std::tuple<const char*, std::vector<std::uint8_t>, std::optional<double>>;
    for (const auto& [type, bytes, expected] :
         {Row{"flt ", {0x00, 0x00, 0x34, 0x42}, 45.0},
          Row{"flt ", {0x00, 0x00, 0x34, 0x42, 0xFF}, 45.0}, Row{"flt ", {0, 0, 0x34}, none},
          Row{"sp78", {0x2D, 0x80}, 45.5}, Row{"sp78", {0xFF, 0x00}, -1.0},
          Row{"sp78", {0x80}, 0.5}, Row{"sp78", {}, none}, Row{"sp87", {0x16, 0x80}, 45.0},
          Row{"sp87", {0x80}, 1.0}, Row{"fpe2", {0x00, 0xB4}, 45.0},
          Row{"fp2e", {0x00, 0xB4}, 45.0}, Row{"fpe2", {0xFF, 0xFC}, -1.0},
          Row{"fpe2", {0xB4}, none}, Row{"ui16", {0x00, 0x2D}, none},
          Row{"FLT ", {0x00, 0x00, 0x34, 0x42}, none}}) {
        EXPECT_EQ(decodeTemperature(fourCC(type), bytes), expected) << type << bytes.size();
    }
}

} // namespace tarvo::smc

namespace tarvo::simulated {

// The reader on the simulated platform: the manual clock drives its timer and runs what it posts.
struct CPUTemperatureTest : testing::Test {
    void SetUp() override { resetMainLoop(), resetSMC(); }

    std::shared_ptr<CPUTemperature> startReader() {
        auto reader = CPUTemperature::create([this](double value) { received.push_back(value); });
        reader->start();
        return reader;
    }

    std::vector<double> received;
};

TEST_F(CPUTemperatureTest, PollsAtOnceThenEveryTwoSecondsUntilStoppedOrSaysWhyNot) {
    giveSensors({45.0F});
    const auto reader = CPUTemperature::create([this](double value) { received.push_back(value); });
    reader->stop(); // before start: changes nothing
    reader->start();
    reader->start(); // keeps the one timer and connection
    EXPECT_TRUE(received.empty());
    mainLoop().advance(1.9);
    giveSensors({120.0F}); // the pass at 2 s reads nothing plausible and sends nothing
    mainLoop().advance(0.1);
    EXPECT_EQ(std::tuple(received, reader->read(), reader->errorReason()),
              std::tuple(std::vector{45.0}, 45.0, std::nullopt));

    const std::size_t calls = smc().requests.size();
    reader->stop();
    reader->stop();
    mainLoop().advance(10.0);
    EXPECT_EQ(smc().requests.size(), calls);
    EXPECT_EQ(std::tuple(smc().opens, smc().closes, smc().misuses), std::tuple(1, 1, 0));

    // Without the service it says why. (Its one NaN, sent once launch is over, shows in the
    // end-to-end tests.)
    smc().hasService = false;
    EXPECT_EQ(startReader()->errorReason(), "无法打开 AppleSMC 服务（系统权限受限）");
}

// Under a thread limit the SMC opens but no timer can start: the reader closes the SMC again and
// is as unavailable as without it, one NaN and no reading.
TEST_F(CPUTemperatureTest, AReaderWhoseTimerCannotStartClosesTheSMCAndSendsOneNaN) {
    giveSensors({45.0F});
    mainLoop().refuseBackgroundTimers();
    const auto reader = startReader();
    EXPECT_TRUE(received.empty());
    mainLoop().advance(10.0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(std::isnan(received.front()));
    EXPECT_TRUE(reader->hasPollingFailed());
    EXPECT_EQ(reader->read(), std::nullopt);
    EXPECT_EQ(reader->errorReason(), "无法打开 AppleSMC 服务（系统权限受限）");
    reader->stop(); // nothing left to close
    EXPECT_EQ(std::tuple(smc().opens, smc().closes, smc().requests.size(), smc().misuses),
              std::tuple(1, 1, 0u, 0));
}

TEST_F(CPUTemperatureTest, AveragesOnlyTheReadingsStrictlyInsideTheWindow) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    using Pass = std::pair<std::vector<float>, std::optional<double>>;
    for (const auto& [readings, average] :
         {Pass{{45, 55, 120}, 50.0}, Pass{{10, 115, 50}, 50.0}, Pass{{10.5F, 114.5F}, 62.5},
          Pass{{nan, infinity, -infinity, 0, 40}, 40.0}, Pass{{nan, 10}, std::nullopt}}) {
        received.clear();
        giveSensors(readings);
        const auto reader = startReader();
        mainLoop().advance(0.0);
        EXPECT_EQ(reader->read(), average) << readings.size() << " readings";
        EXPECT_EQ(received, average ? std::vector{*average} : std::vector<double>{});
    }
}

// Where no core sensor is plausible, the firmware's die average "TCMb" is asked for once and is
// the figure if plausible; otherwise it is never asked for (eight keys cost 16 calls). The first
// two rows are real Macs: an M5 Pro has no core key; an idle M2 Max has five, its power-gated
// cores reading 6.7 and 4.633 ("flt " 66 66 D6 40 and 89 41 94 40), Te05 36.15611 (DB 9F 10 42).
TEST_F(CPUTemperatureTest, ReadsTheDieAverageOnlyWhenNoCoreSensorIsPlausible) {
    const std::vector<std::uint8_t> die{0x9C, 0x64, 0x13, 0x42}; // 36.85, the M2 Max's
    const std::vector<float> noCore{6.7F, 4.633F, 6.7F, 4.633F, 5, 5, 120, 120};
    // name, core sensors from Tp01 on, TCMb's "flt " bytes, figure, driver calls
    using Pass = std::tuple<const char*, std::vector<float>, std::vector<std::uint8_t>,
                            std::optional<double>, std::size_t>;
    for (const auto& [name, cores, dieBytes, celsius, calls] :
         {Pass{"M5 Pro", {}, {0xCD, 0x5C, 0x7A, 0x42}, 62.59, 10},
          Pass{"M2 Max idle", {6.7F, 4.633F, 6.7F, 4.633F, 36.15611F}, die, 36.16, 13},
          Pass{"no core plausible", noCore, die, 36.85, 18},
          Pass{"nothing plausible", noCore, {0x00, 0x00, 0xF0, 0x42}, {}, 18},
          Pass{"every core plausible", {40, 41, 42, 43, 44, 45, 46, 47}, die, 43.5, 16}}) {
        giveSensors(cores);
        smc().keys[smc::fourCC("TCMb")] = {.dataType = smc::fourCC("flt "), .bytes = dieBytes};
        const std::size_t callsBefore = smc().requests.size();
        const auto reader = startReader();
        mainLoop().advance(0.0);
        EXPECT_EQ(smc().requests.size() - callsBefore, calls) << name;
        EXPECT_NEAR(reader->read().value_or(0.0), celsius.value_or(0.0), 0.005) << name;
    }
}

} // namespace tarvo::simulated
