#include "platform/linux/MainLoop.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace tarvo::terminal {

// A loop late by 50 ms fires what became due in due order, a repeating timer once for the fires
// it missed; then a task posted from another thread wakes the wait, and stop() leaves the tasks
// after it for ever.
TEST(MainLoop, FiresInDueOrderOnceForMissedFiresAndRunsPostedTasksUntilStopped) {
    MainLoop loop;
    std::string trace;
    loop.addTimer(0.030, 0.0, [&] { trace += 'A'; });
    const MainLoop::TimerId repeating = loop.addTimer(0.010, 0.010, [&] { trace += 'R'; });
    loop.addTimer(0.020, 0.0, [&] { trace += 'B'; });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    loop.runDue();
    EXPECT_EQ(trace, "RBA");

    loop.cancelTimer(repeating);
    std::jthread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        loop.post([&] { trace += 'P', loop.stop(); });
        loop.post([&] { trace += 'Q'; });
    });
    loop.addTimer(1.0, 0.0, [] {}); // ends the wait if the task does not
    const auto waitStart = std::chrono::steady_clock::now();
    loop.wait(-1, -1);
    EXPECT_LT(std::chrono::steady_clock::now() - waitStart, std::chrono::milliseconds(500));
    poster.join();
    loop.runDue();
    EXPECT_EQ(trace, "RBAP");
}

} // namespace tarvo::terminal
