#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace tarvo::simulated {

// The simulated main run loop: a manual clock, timers that fire when a test advances it, and
// the queue of tasks posted to the main thread. Time is in seconds from the loop's creation.
class ManualLoop {
public:
    using TimerId = std::uint64_t;

    double now() const { return clock; }

    // A timer first due at now() + delay, then every `interval` seconds (0: fires once).
    TimerId addTimer(double delay, double interval, std::function<void()> fire);
    void cancelTimer(TimerId id);

    // Thread-safe: background work posts here like on the real main queue.
    void post(std::function<void()> task);
    std::size_t pendingTasks() const;

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

private:
    struct Timer {
        double due;
        double interval;
        std::function<void()> fire;
    };
    bool fireNextDue(double until);

    double clock = 0.0;
    bool isHoldingTasks = false;
    TimerId nextId = 1;
    std::map<TimerId, Timer> timers;
    mutable std::mutex tasksMutex;
    std::deque<std::function<void()>> tasks;
};

// The one simulated main loop of the process, and a fresh one for the next test.
ManualLoop& mainLoop();
void resetMainLoop();

} // namespace tarvo::simulated
