#include "platform/simulated/ManualLoop.h"
#include "platform/MainThread.h"

#include <gtest/gtest.h>
#include <string>

namespace tarvo::simulated {
namespace {

TEST(ManualLoop, FiresTimersInTimeOrderAndRunsPostedTasksAfterEachFire) {
    resetMainLoop();
    ManualLoop& loop = mainLoop();
    std::string trace;
    loop.addTimer(1.0, 1.0, [&] {
        trace += "A" + std::to_string(static_cast<int>(loop.now()));
        platform::postToMainThread([&] { trace += "a"; });
    });
    loop.addTimer(1.5, 0.0, [&] { trace += "B"; });
    loop.advance(2.5);
    EXPECT_EQ(trace, "A1aBA2a");
    EXPECT_EQ(loop.now(), 2.5);
    EXPECT_EQ(loop.timerCount(), 1u);
}

TEST(ManualLoop, PostedTaskNeverRunsInsideThePostingCall) {
    resetMainLoop();
    bool ran = false;
    platform::postToMainThread([&] { ran = true; });
    EXPECT_FALSE(ran);
    mainLoop().runPostedTasks();
    EXPECT_TRUE(ran);
}

TEST(ManualLoop, TimerCancelledByItsOwnCallbackStops) {
    resetMainLoop();
    ManualLoop& loop = mainLoop();
    int fires = 0;
    ManualLoop::TimerId id = 0;
    id = loop.addTimer(1.0, 1.0, [&] { ++fires, loop.cancelTimer(id); });
    loop.advance(5.0);
    EXPECT_EQ(fires, 1);
}

} // namespace
} // namespace tarvo::simulated
