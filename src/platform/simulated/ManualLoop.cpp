#include "platform/simulated/ManualLoop.h"
#include "platform/Clock.h"
#include "platform/MainThread.h"

#include <algorithm>
#include <memory>

namespace tarvo::simulated {

void ManualLoop::runPostedTasks() {
    while (queue.runNextTask()) {
    }
}

void ManualLoop::advance(double seconds) {
    const double until = clock + seconds;
    for (auto due = queue.nextDue(); due && *due <= until; due = queue.nextDue()) {
        clock = std::max(clock, *due); // a timer that came due during skip() fires late
        queue.fireNextDue(clock);
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

namespace tarvo::model {

RunQueue::TimerId addMainLoopTimer(double delay, double interval, std::function<void()> fire) {
    return simulated::mainLoop().addTimer(delay, interval, std::move(fire));
}

void cancelMainLoopTimer(RunQueue::TimerId id) {
    simulated::mainLoop().cancelTimer(id);
}

} // namespace tarvo::model
