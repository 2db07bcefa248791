#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace tarvo::terminal {

// The main thread's run loop: timers on the monotonic clock and tasks posted from any thread.
// It waits in poll(2) for the next timer, a posted task, a wake-up, input on one descriptor or
// the end of an output.
class MainLoop {
public:
    using TimerId = std::uint64_t;

    MainLoop();
    ~MainLoop();
    MainLoop(const MainLoop&) = delete;
    MainLoop& operator=(const MainLoop&) = delete;

    // A timer first due `delay` seconds from now, then every `interval` seconds (0: once).
    TimerId addTimer(double delay, double interval, std::function<void()> fire);
    void cancelTimer(TimerId id);

    // Any thread.
    void post(std::function<void()> task);

    // Makes wait() return. Async-signal-safe.
    void wake() const;

    // Runs the posted tasks and fires the due timers, until none is left or the loop stops.
    void runDue();

    struct Readiness {
        bool isInputReady = false;
        bool isOutputGone = false;
    };

    // Blocks until a timer is due, a task is posted, wake() is called, `input` can be read or
    // has hung up, or `output` has hung up or failed (a pipe whose reader is gone); a negative
    // descriptor is not watched.
    Readiness wait(int input, int output);

    // The loop finishes the task at hand and runs nothing more until restarted.
    void stop() { isStopped = true; }
    void restart() { isStopped = false; }
    bool stopped() const { return isStopped; }

private:
    using Clock = std::chrono::steady_clock;

    struct Timer {
        Clock::time_point due;
        Clock::duration interval;
        std::shared_ptr<const std::function<void()>> fire;
    };

    bool runNextTask();
    bool fireNextDue(Clock::time_point now);

    int wakeDescriptor;
    TimerId nextId = 1;
    std::map<TimerId, Timer> timers;
    std::mutex tasksMutex;
    std::deque<std::function<void()>> tasks;
    bool isStopped = false;
};

// The process's main loop; it lives until the process ends.
MainLoop& mainLoop();

} // namespace tarvo::terminal
