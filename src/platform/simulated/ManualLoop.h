#pragma once

#include "platform/model/RunQueue.h"

#include <cstddef>
#include <functional>

namespace tarvo::simulated {

// The simulated main run loop: the shared timer-and-task queue on a manual clock, whose timers
// fire when a test advances it. Time is in seconds from the loop's creation.
class ManualLoop {
public:
    using TimerId = model::RunQueue::TimerId;

    double now() const { return clock; }

    // A timer first due at now() + delay, then every `interval` seconds (0: fires once).
    TimerId addTimer(double delay, double interval, std::function<void()> fire) {
        return queue.addTimer(clock + delay, interval, std::move(fire));
    }
    void cancelTimer(TimerId id) { queue.cancelTimer(id); }

    // Thread-safe: background work posts here like on the real main queue.
    void post(std::function<void()> task) { queue.post(std::move(task)); }
    std::size_t pendingTasks() const { return queue.pendingTasks(); }

    // Runs posted tasks, including those they post, until none is left.
    void runPostedTasks();

    // Moves the clock forward, firing due timers in time order (the earlier-added one first on
    // a tie) and running the posted tasks after each fire and at the end, unless they are held.
    void advance(double seconds);

    // Moves the clock forward without firing anything, as while the machine sleeps or the main
    // thread is busy elsewhere: a timer that came due meanwhile fires once, late, at the next
    // advance(), and a repeating one then keeps its rhythm.
    void skip(double seconds) { clock += seconds; }

    // From now on (until the next reset), posted tasks wait in the queue as on a main thread busy
    // elsewhere: advance() leaves them there, runPostedTasks() still runs them.
    void holdPostedTasks() { isHoldingTasks = true; }

    // From now on (until the next reset), a background timer cannot start, as under a thread
    // limit: it never runs.
    void refuseBackgroundTimers() { isRefusingBackgroundTimers = true; }
    bool refusesBackgroundTimers() const { return isRefusingBackgroundTimers; }

private:
    double clock = 0.0;
    bool isHoldingTasks = false;
    bool isRefusingBackgroundTimers = false;
    model::RunQueue queue;
};

// The one simulated main loop of the process, and a fresh one for the next test.
ManualLoop& mainLoop();
void resetMainLoop();

} // namespace tarvo::simulated
