#include "platform/linux/MainLoop.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace tarvo::terminal {
namespace {

// Runs the loop until `done` holds, failing after a second.
template <typename Done>
void runUntil(MainLoop& loop, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        loop.wait(-1, -1);
        loop.runDue();
    }
    ASSERT_TRUE(done());
}

TEST(MainLoop, FiresOneShotTimersInDueOrder) {
    MainLoop loop;
    std::string trace;
    loop.addTimer(0.020, 0.0, [&] { trace += 'A'; });
    loop.addTimer(0.001, 0.0, [&] { trace += 'B'; });
    loop.addTimer(0.010, 0.0, [&] { trace += 'C'; });
    runUntil(loop, [&] { return trace.size() == 3; });
    EXPECT_EQ(trace, "BCA");
}

TEST(MainLoop, RepeatingTimerFiresUntilItCancelsItself) {
    MainLoop loop;
    int fires = 0;
    MainLoop::TimerId id = 0;
    id = loop.addTimer(0.002, 0.002, [&] {
        if (++fires == 3) {
            loop.cancelTimer(id);
        }
    });
    runUntil(loop, [&] { return fires == 3; });
    bool later = false;
    loop.addTimer(0.020, 0.0, [&] { later = true; });
    runUntil(loop, [&] { return later; });
    EXPECT_EQ(fires, 3);
}

TEST(MainLoop, LateLoopFiresOnceForTheFiresItMissed) {
    MainLoop loop;
    int fires = 0;
    loop.addTimer(0.020, 0.020, [&] { ++fires; });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    loop.runDue();
    EXPECT_EQ(fires, 1);
}

TEST(MainLoop, TaskPostedFromAnotherThreadWakesTheWait) {
    MainLoop loop;
    bool ran = false;
    std::jthread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        loop.post([&] { ran = true; });
    });
    runUntil(loop, [&] { return ran; });
}

TEST(MainLoop, StopLeavesTheRestForNever) {
    MainLoop loop;
    int ran = 0;
    loop.post([&] { ++ran, loop.stop(); });
    loop.post([&] { ++ran; });
    loop.runDue();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(loop.stopped());
}

TEST(MainLoop, WaitReportsReadableInput) {
    MainLoop loop;
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    loop.addTimer(0.001, 0.0, [] {});
    EXPECT_FALSE(loop.wait(pipeEnds[0], -1).isInputReady) << "the timer ends the wait";
    ASSERT_EQ(write(pipeEnds[1], "q", 1), 1);
    EXPECT_TRUE(loop.wait(pipeEnds[0], -1).isInputReady);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

} // namespace
} // namespace tarvo::terminal
