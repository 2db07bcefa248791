#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace tarvo::model {

// The main thread's timers and the tasks posted to it, kept once for the terminal's loop and the
// simulated one: each brings only its clock, in seconds, and its way of waiting.
class RunQueue {
public:
    using TimerId = std::uint64_t;

    // A timer first due at `due`, then every `interval` seconds (0: once).
    TimerId addTimer(double due, double interval, std::function<void()> fire);
    // Also from inside a timer's own callback.
    void cancelTimer(TimerId id);
    // When the first timer is due; nothing without timers.
    std::optional<double> nextDue() const;
    // Fires the timer due first (the earlier added on a tie) if it is due at `now`. A repeating
    // one is then due at its rhythm's first fire after `now`: a late loop fires it once for the
    // fires it missed. False when none is due.
    bool fireNextDue(double now);

    // Any thread.
    void post(std::function<void()> task);
    std::size_t pendingTasks() const;
    // Runs the task posted first; false when there is none.
    bool runNextTask();

private:
    struct Timer {
        double due;
        double interval;
        // Shared, so that the callback may cancel its own timer, and a fire copies no function.
        std::shared_ptr<const std::function<void()>> fire;
    };

    TimerId nextId = 1;
    std::map<TimerId, Timer> timers;
    mutable std::mutex tasksMutex;
    std::deque<std::function<void()>> tasks;
};

// The timers of the main loop that is linked in, the terminal's or the simulated one, due `delay`
// seconds from now on its clock; for the toolkit's NSTimer.
RunQueue::TimerId addMainLoopTimer(double delay, double interval, std::function<void()> fire);
void cancelMainLoopTimer(RunQueue::TimerId id);

} // namespace tarvo::model
