#include "platform/BackgroundTimer.h"
#include "platform/linux/TimerDeadline.h"

#include <future>
#include <gtest/gtest.h>
#include <thread>
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
    EXPECT_EQ(nextDeadline(start + 6s, 2s, start + 7s), start + 8s);

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
