#include "platform/simulated/ManualLoop.h"
#include "platform/Clock.h"
#include "platform/MainThread.h"

#include <algorithm>
#include <memory>

namespace tarvo::simulated {

ManualLoop::TimerId ManualLoop::addTimer(double delay, double interval,
                                         std::function<void()> fire) {
    const TimerId id = nextId++;
    timers.emplace(id, Timer{clock + delay, interval, std::move(fire)});
    return id;
}

void ManualLoop::cancelTimer(TimerId id) {
    timers.erase(id);
}

void ManualLoop::post(std::function<void()> task) {
    const std::lock_guard lock(tasksMutex);
    tasks.push_back(std::move(task));
}

std::size_t ManualLoop::pendingTasks() const {
    const std::lock_guard lock(tasksMutex);
    return tasks.size();
}

void ManualLoop::runPostedTasks() {
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard lock(tasksMutex);
            if (tasks.empty()) {
                return;
            }
            task = std::move(tasks.front());
            tasks.pop_front();
        }
        task();
    }
}

bool ManualLoop::fireNextDue(double until) {
    auto next = timers.end();
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->second.due <= until &&
            (next == timers.end() || it->second.due < next->second.due)) {
            next = it;
        }
    }
    if (next == timers.end()) {
        return false;
    }
    clock = std::max(clock, next->second.due);
    // The callback may cancel this timer or add others: call a copy.
    const auto fire = next->second.fire;
    if (next->second.interval > 0.0) {
        // One fire for all the periods a late timer missed.
        while (next->second.due <= clock) {
            next->second.due += next->second.interval;
        }
    } else {
        timers.erase(next);
    }
    fire();
    return true;
}

void ManualLoop::advance(double seconds) {
    const double until = clock + seconds;
    while (fireNextDue(until)) {
        if (!isHoldingTasks) {
            runPostedTasks();
        }
    }
    clock = until;
    if (!isHoldingTasks) {
        runPostedTasks();
    }
}

namespace {
std::unique_ptr<ManualLoop>& currentLoop() {
    static auto loop = std::make_unique<ManualLoop>();
    return loop;
}
} // namespace

ManualLoop& mainLoop() {
    return *currentLoop();
}

void resetMainLoop() {
    currentLoop() = std::make_unique<ManualLoop>();
}

} // namespace tarvo::simulated

namespace tarvo::platform {

void postToMainThread(std::function<void()> task) {
    simulated::mainLoop().post(std::move(task));
}

// The time that tests move forward.
double continuousSeconds() {
    return simulated::mainLoop().now();
}

} // namespace tarvo::platform
