#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "samplers/CPUTemperature.h"
#include "support/SMCKeys.h"

#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <tuple>

// The reader on the real Linux worker thread, with the simulated driver and main loop; run
// under the thread sanitizer too.

namespace tarvo::simulated {

TEST(CPUTemperatureOnWorker, StopRacingRunningPassesNeverUsesAClosedHandle) {
    constexpr int rounds = 200;
    constexpr std::size_t fullPass = 16;
    resetMainLoop(), resetSMC();
    auto& driver = smc();
    giveSensors(std::vector(8, 50.0F));
    driver.callDuration = std::chrono::microseconds(20); // a pass takes about a millisecond
    std::mt19937 random(4);
    std::uniform_int_distribution<int> stopAfterMicroseconds(0, 1000);

    int cutShort = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::size_t callsBefore = driver.requests.size();
        auto reader = CPUTemperature::create([](double value) { EXPECT_EQ(value, 50.0); });
        reader->start();
        std::this_thread::sleep_for(std::chrono::microseconds(stopAfterMicroseconds(random)));
        reader->stop();
        reader.reset();
        mainLoop().runPostedTasks();

        // A key's two calls are never split by the close.
        const std::size_t calls = driver.requests.size() - callsBefore;
        EXPECT_EQ(calls % 2, 0u);
        cutShort += calls > 0 && calls < fullPass;
    }
    EXPECT_EQ(std::tuple(driver.misuses, driver.opens, driver.closes),
              std::tuple(0, rounds, rounds));
    EXPECT_GT(cutShort, 0) << "no stop landed inside a pass";
}

} // namespace tarvo::simulated
