#include "samplers/CPUTemperature.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "support/SMCKeys.h"

#include <gtest/gtest.h>
#include <limits>
#include <tuple>

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

TEST_F(CPUTemperatureTest, AveragesOnlyTheReadingsStrictlyInsideTheWindow) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    using Pass = std::pair<std::vector<float>, std::optional<double>>;
    for (const auto& [readings, average] :
         {Pass{{45, 55, 120}, 50.0}, Pass{{10, 115, 50}, 50.0}, Pass{{10.5F, 114.5F}, 62.5},
          Pass{{40, 41, 42, 43, 44, 45, 46, 47}, 43.5},
          Pass{{nan, infinity, -infinity, 0, 40}, 40.0}, Pass{{nan, 10}, std::nullopt}}) {
        received.clear();
        giveSensors(readings);
        const auto reader = startReader();
        mainLoop().advance(0.0);
        EXPECT_EQ(reader->read(), average) << readings.size() << " readings";
        EXPECT_EQ(received, average ? std::vector{*average} : std::vector<double>{});
    }
}

} // namespace tarvo::simulated
