#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "samplers/CPUTemperature.h"
#include "samplers/FourCC.h"
#include "support/SMCKeys.h"

#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <thread>

// The reader on the real Linux worker thread, with the simulated driver and main loop.

namespace tarvo {
namespace {

using namespace std::chrono_literals;

void setEveryKey(float celsius) {
    for (const char* key : {"Tp01", "Tp05", "Tp09", "Tp0D", "Te05", "Te0S", "Te09", "Te0H"}) {
        simulated::smc().keys[smc::fourCC(key)] = simulated::floatKey(celsius);
    }
}

TEST(CPUTemperatureOnWorker, StopRacingRunningPassesNeverUsesAClosedHandle) {
    constexpr int rounds = 200;
    constexpr std::size_t fullPass = 16;
    simulated::resetMainLoop();
    simulated::resetSMC();
    auto& driver = simulated::smc();
    setEveryKey(50.0F);
    driver.callDuration = 20us; // a pass takes about a millisecond
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
        simulated::mainLoop().runPostedTasks();

        // A key's two calls are never split by the close.
        const std::size_t calls = driver.requests.size() - callsBefore;
        EXPECT_EQ(calls % 2, 0u);
        cutShort += calls > 0 && calls < fullPass;
    }
    EXPECT_EQ(driver.misuses, 0);
    EXPECT_EQ(driver.opens, rounds);
    EXPECT_EQ(driver.closes, rounds);
    EXPECT_GT(cutShort, 0) << "no stop landed inside a pass";
}

TEST(CPUTemperatureOnWorker, QueuedAverageAfterTheReaderIsGoneDoesNothing) {
    simulated::resetMainLoop();
    simulated::resetSMC();
    setEveryKey(50.0F);
    int callbacks = 0;
    auto reader = CPUTemperature::create([&](double) { ++callbacks; });
    reader->start();
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (simulated::mainLoop().pendingTasks() == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(simulated::mainLoop().pendingTasks(), 1u);
    EXPECT_EQ(reader->read(), 50.0);

    reader.reset();
    simulated::mainLoop().runPostedTasks();
    EXPECT_EQ(callbacks, 0);
}

} // namespace
} // namespace tarvo
