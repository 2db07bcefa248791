#include "platform/BackgroundTimer.h"
#include "platform/linux/TimerDeadline.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvo::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(TimerDeadline, StaysOnTheGridAndCoalescesMissedPeriods) {
    const Clock::time_point start{};
    // On time, or late by less than a period: the next grid point.
    EXPECT_EQ(nextDeadline(start, 2s, start + 1s), start + 2s);
    EXPECT_EQ(nextDeadline(start, 2s, start + 2s), start + 2s);
    // Overran past 7 s: one run at once (due 6 s), then back on the grid.
    EXPECT_EQ(nextDeadline(start, 2s, start + 7s), start + 6s);
    EXPECT_EQ(nextDeadline(start + 6s, 2s, start + 7s), start + 8s);
}

TEST(BackgroundTimer, FirstRunComesAtOnceNotAfterAnInterval) {
    std::promise<void> ran;
    const BackgroundTimer timer(1h, [&] { ran.set_value(); });
    EXPECT_EQ(ran.get_future().wait_for(10s), std::future_status::ready);
}

TEST(BackgroundTimer, RunsOnAbsoluteDeadlinesAndNotAfterDestruction) {
    constexpr auto interval = 20ms;
    std::mutex mutex;
    std::vector<Clock::time_point> starts;
    const auto runCount = [&] {
        const std::lock_guard lock(mutex);
        return starts.size();
    };
    std::promise<void> thirdRun;

    const auto created = Clock::now();
    auto timer = std::make_unique<BackgroundTimer>(interval, [&] {
        const std::lock_guard lock(mutex);
        starts.push_back(Clock::now());
        if (starts.size() == 3) {
            thirdRun.set_value();
        }
    });
    ASSERT_EQ(thirdRun.get_future().wait_for(10s), std::future_status::ready);
    timer.reset();
    const std::size_t runs = runCount();
    std::this_thread::sleep_for(3 * interval);
    EXPECT_EQ(runCount(), runs);

    EXPECT_GE(starts[1] - created, interval);
    EXPECT_GE(starts[2] - created, 2 * interval);
}

TEST(BackgroundTimer, CanBeDestroyedFromItsOwnTask) {
    std::unique_ptr<BackgroundTimer> timer;
    std::promise<void> created;
    std::promise<void> destroyed;
    auto isCreated = created.get_future();
    timer = std::make_unique<BackgroundTimer>(1h, [&] {
        isCreated.wait();
        timer.reset();
        destroyed.set_value();
    });
    created.set_value();
    ASSERT_EQ(destroyed.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_EQ(timer, nullptr);
}

} // namespace
} // namespace tarvo::platform
