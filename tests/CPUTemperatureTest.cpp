#include "samplers/CPUTemperature.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "samplers/FourCC.h"
#include "support/SMCKeys.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {
namespace {

using simulated::floatKey;

constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr const char* unavailableReason = "无法打开 AppleSMC 服务（系统权限受限）";

// The reader on the simulated platform: the manual clock drives its timer and runs what it posts.
class CPUTemperatureTest : public testing::Test {
protected:
    void SetUp() override {
        simulated::resetMainLoop();
        simulated::resetSMC();
    }

    std::shared_ptr<CPUTemperature> makeReader() {
        return CPUTemperature::create([this](double value) { received.push_back(value); });
    }

    // The sensors that answer, in the reader's key order; the other keys are absent.
    static void setReadings(const std::vector<float>& celsius) {
        static constexpr const char* keys[] = {"Tp01", "Tp05", "Tp09", "Tp0D",
                                               "Te05", "Te0S", "Te09", "Te0H"};
        auto& smcKeys = simulated::smc().keys;
        smcKeys.clear();
        for (std::size_t i = 0; i < celsius.size(); ++i) {
            smcKeys[smc::fourCC(keys[i])] = floatKey(celsius[i]);
        }
    }

    static simulated::ManualLoop& loop() { return simulated::mainLoop(); }

    std::vector<double> received;
};

TEST_F(CPUTemperatureTest, FirstPassComesAtOnceThenOneEveryTwoSeconds) {
    setReadings({45.0F});
    const auto reader = makeReader();
    reader->start();
    reader->start(); // keeps the one timer and connection
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(simulated::smc().opens, 1);
    EXPECT_EQ(loop().timerCount(), 1u);

    loop().advance(0.0);
    EXPECT_EQ(received, std::vector{45.0});

    setReadings({47.0F});
    loop().advance(1.9);
    EXPECT_EQ(received.size(), 1u);
    loop().advance(0.1);
    EXPECT_EQ(received, (std::vector{45.0, 47.0}));
    EXPECT_EQ(reader->read(), 47.0);
    EXPECT_EQ(reader->errorReason(), std::nullopt);
}

struct Pass {
    const char* name;
    std::vector<float> readings;
    std::optional<double> average;
};

class CPUTemperaturePass : public CPUTemperatureTest, public testing::WithParamInterface<Pass> {};

TEST_P(CPUTemperaturePass, AveragesOnlyReadingsStrictlyInsideTheWindow) {
    const Pass& pass = GetParam();
    setReadings(pass.readings);
    const auto reader = makeReader();
    reader->start();
    loop().advance(0.0);

    EXPECT_EQ(reader->read(), pass.average);
    const auto sent = pass.average ? std::vector{*pass.average} : std::vector<double>{};
    EXPECT_EQ(received, sent);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, CPUTemperaturePass,
    testing::Values(
        Pass{"too_hot_left_out", {45.0F, 55.0F, 120.0F}, 50.0},
        Pass{"bounds_left_out", {10.0F, 115.0F, 50.0F}, 50.0},
        Pass{"just_inside_bounds", {10.5F, 114.5F}, 62.5},
        Pass{"all_eight_keys", {40, 41, 42, 43, 44, 45, 46, 47}, 43.5},
        Pass{"nan_and_infinities_left_out", {notANumber, infinity, -infinity, 40.0F}, 40.0},
        Pass{"nothing_plausible", {notANumber, infinity, 10.0F, 0.0F}, std::nullopt},
        Pass{"no_key_answers", {}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CPUTemperatureTest, PassWithoutReadingsSendsNothingAndKeepsTheLastValue) {
    setReadings({48.0F});
    const auto reader = makeReader();
    reader->start();
    loop().advance(0.0);

    setReadings({120.0F});
    loop().advance(2.0);
    EXPECT_EQ(received, std::vector{48.0});
    EXPECT_EQ(reader->read(), 48.0);
}

TEST_F(CPUTemperatureTest, WithoutTheServiceSendsOneNaNAfterStartReturned) {
    simulated::smc().hasService = false;
    const auto reader = makeReader();
    EXPECT_EQ(reader->errorReason(), unavailableReason);
    reader->start();
    reader->start();
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(loop().timerCount(), 0u);

    loop().advance(10.0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(std::isnan(received[0]));
    EXPECT_EQ(reader->read(), std::nullopt);
    EXPECT_EQ(reader->errorReason(), unavailableReason);
}

TEST_F(CPUTemperatureTest, StopClosesTheConnectionOnceAndEndsPolling) {
    setReadings({45.0F});
    const auto reader = makeReader();
    reader->start();
    loop().advance(0.0);
    const std::size_t calls = simulated::smc().requests.size();

    reader->stop();
    reader->stop();
    loop().advance(10.0);
    EXPECT_EQ(simulated::smc().closes, 1);
    EXPECT_EQ(simulated::smc().misuses, 0);
    EXPECT_EQ(simulated::smc().requests.size(), calls);
    EXPECT_EQ(loop().timerCount(), 0u);
    EXPECT_EQ(reader->read(), 45.0);

    reader->start(); // never started twice
    EXPECT_EQ(simulated::smc().opens, 1);
}

TEST_F(CPUTemperatureTest, StopBeforeStartChangesNothing) {
    setReadings({45.0F});
    const auto reader = makeReader();
    reader->stop();
    reader->start();
    loop().advance(0.0);
    EXPECT_EQ(received, std::vector{45.0});
}

TEST_F(CPUTemperatureTest, NeitherTimerNorQueuedTaskKeepsTheReaderAlive) {
    auto reader = makeReader();
    reader->start();
    const std::weak_ptr<CPUTemperature> watch = reader;
    reader.reset();
    EXPECT_TRUE(watch.expired());
    // Destruction stopped it.
    EXPECT_EQ(simulated::smc().closes, 1);
    EXPECT_EQ(loop().timerCount(), 0u);

    simulated::smc().hasService = false;
    reader = makeReader();
    reader->start();
    reader.reset();
    loop().runPostedTasks();
    EXPECT_TRUE(received.empty());
}

} // namespace
} // namespace tarvo
