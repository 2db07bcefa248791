// The real Linux worker thread: the background timer, and the temperature reader on it with the
// simulated driver and main loop. Run under the thread sanitizer too.
#include "platform/BackgroundTimer.h"
#include "platform/linux/TimerDeadline.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "samplers/CPUTemperature.h"
#include "support/SMCKeys.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <random>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

namespace tarvo::platform {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The first run comes at once, not an hour later, and may destroy its timer (the poller's last
// owner may be the pass in flight).
TEST(BackgroundTimer, FirstRunComesAtOnceAndMayDestroyItsTimer) {
    std::unique_ptr<BackgroundTimer> timer;
    std::promise<void> created;
    std::promise<void> destroyed;
    timer = std::make_unique<BackgroundTimer>(1h, [&, isCreated = created.get_future().share()] {
        isCreated.wait();
        timer.reset();
        destroyed.set_value();
    });
    created.set_value();
    ASSERT_EQ(destroyed.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_EQ(timer, nullptr);
}

// The next runs come on the grid of the interval from the start, not from the end of the run
// before, one at once after an overrun of several periods, and none after destruction.
TEST(BackgroundTimer, RunsOnDeadlinesFromItsStartAndNotAfterDestruction) {
    const Clock::time_point start{};
    EXPECT_EQ(nextDeadline(start, 2s, start + 1s), start + 2s);
    EXPECT_EQ(nextDeadline(start, 2s, start + 7s), start + 6s); // overran past 7 s

    constexpr auto interval = 20ms;
    std::vector<Clock::time_point> starts; // the worker's until it is joined
    std::promise<void> thirdRun;
    const auto created = Clock::now();
    auto timer = std::make_unique<BackgroundTimer>(interval, [&] {
        starts.push_back(Clock::now());
        if (starts.size() == 3) {
            thirdRun.set_value();
        }
    });
    ASSERT_EQ(thirdRun.get_future().wait_for(10s), std::future_status::ready);
    timer.reset();
    const std::size_t runs = starts.size();
    std::this_thread::sleep_for(3 * interval);
    EXPECT_EQ(starts.size(), runs);
    EXPECT_GE(starts[1] - created, interval);
    EXPECT_GE(starts[2] - created, 2 * interval);
}

} // namespace tarvo::platform

namespace tarvo::simulated {

TEST(CPUTemperatureOnWorker, StopRacingRunningPassesNeverUsesAClosedHandle) {
    constexpr int rounds = 200;
    constexpr std::size_t fullPass = 16;
    resetMainLoop(), resetSMC();
    auto& driver = smc();
    giveSensors(std::vector(8, 50.0F));
    driver.callDuration = std::chrono::microseconds(20); // a pass takes about a millisecond
    // NOLINTNEXTLINE(cert-msc32-c,cert-msc51-cpp): a fixed seed, so that a failing run repeats.
    std::mt19937 random(4);
    std::uniform_int_distribution<int> stopAfterMicroseconds(0, 500);
    std::atomic<int> passCalls = 0; // made in this round so far
    driver.observer = [&](const char* what) { passCalls += std::string_view(what) == "call"; };

    int cutShort = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::size_t callsBefore = driver.requests.size();
        auto reader = CPUTemperature::create([](double value) { EXPECT_EQ(value, 50.0); });
        passCalls = 0;
        reader->start();
        // The stop comes once the pass has begun, however late a loaded machine schedules it.
        for (int spins = 0; passCalls == 0 && spins < 1'000'000; ++spins) {
            std::this_thread::yield();
        }
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
