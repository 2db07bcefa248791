#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace tarvo::platform {

// Runs a task in the background at low priority: once at once, then every `interval`, one run at
// a time. Destroying the timer cancels it: no run starts afterwards, though one already running
// may still be finishing, so the task must not rely on anything the owner frees. The timer may
// be destroyed from inside its own task.
class BackgroundTimer {
public:
    BackgroundTimer(std::chrono::nanoseconds interval, std::function<void()> task);
    ~BackgroundTimer();
    BackgroundTimer(const BackgroundTimer&) = delete;
    BackgroundTimer& operator=(const BackgroundTimer&) = delete;

    // False when the system would not give the timer what it runs on (a thread, under a thread
    // limit; a dispatch source): the task then never runs.
    bool isRunning() const;

private:
    struct Schedule;
    std::unique_ptr<Schedule> schedule;
};

} // namespace tarvo::platform
