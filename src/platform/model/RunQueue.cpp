#include "platform/model/RunQueue.h"

#include <algorithm>

namespace tarvo::model {

RunQueue::TimerId RunQueue::addTimer(double due, double interval, std::function<void()> fire) {
    const TimerId id = nextId++;
    timers.emplace(
        id, Timer{due, interval, std::make_shared<const std::function<void()>>(std::move(fire))});
    return id;
}

void RunQueue::cancelTimer(TimerId id) {
    timers.erase(id);
}

namespace {

// The earlier added among those due first: the map keeps them in the order they were added.
template <typename Timers>
auto firstDue(Timers& timers) {
    return std::min_element(timers.begin(), timers.end(), [](const auto& a, const auto& b) {
        return a.second.due < b.second.due;
    });
}

} // namespace

std::optional<double> RunQueue::nextDue() const {
    const auto first = firstDue(timers);
    return first == timers.end() ? std::nullopt : std::optional(first->second.due);
}

bool RunQueue::fireNextDue(double now) {
    const auto next = firstDue(timers);
    if (next == timers.end() || next->second.due > now) {
        return false;
    }
    const auto fire = next->second.fire;
    Timer& timer = next->second;
    if (timer.interval > 0.0) {
        while (timer.due <= now) {
            timer.due += timer.interval;
        }
    } else {
        timers.erase(next);
    }
    (*fire)();
    return true;
}

void RunQueue::post(std::function<void()> task) {
    const std::lock_guard lock(tasksMutex);
    tasks.push_back(std::move(task));
}

std::size_t RunQueue::pendingTasks() const {
    const std::lock_guard lock(tasksMutex);
    return tasks.size();
}

bool RunQueue::runNextTask() {
    std::function<void()> task;
    {
        const std::lock_guard lock(tasksMutex);
        if (tasks.empty()) {
            return false;
        }
        task = std::move(tasks.front());
        tasks.pop_front();
    }
    task();
    return true;
}

} // namespace tarvo::model
