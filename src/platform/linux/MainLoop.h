#pragma once

#include "platform/model/RunQueue.h"

#include <functional>

namespace tarvo::terminal {

// The main thread's run loop: the shared timer-and-task queue on the monotonic clock, waiting in
// poll(2) for the next timer, a posted task, a wake-up, input on one descriptor or the end of an
// output.
class MainLoop {
public:
    using TimerId = model::RunQueue::TimerId;

    MainLoop();
    ~MainLoop();
    MainLoop(const MainLoop&) = delete;
    MainLoop& operator=(const MainLoop&) = delete;

    // A timer first due `delay` seconds from now, then every `interval` seconds (0: once).
    TimerId addTimer(double delay, double interval, std::function<void()> fire);
    void cancelTimer(TimerId id) { queue.cancelTimer(id); }

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
    int wakeDescriptor;
    model::RunQueue queue;
    bool isStopped = false;
};

// The process's main loop; it lives until the process ends.
MainLoop& mainLoop();

} // namespace tarvo::terminal
