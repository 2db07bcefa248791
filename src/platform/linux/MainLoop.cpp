#include "platform/linux/MainLoop.h"
#include "platform/MainThread.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tarvo::terminal {

namespace {

// Seconds on the monotonic clock, which no change of the wall clock moves.
double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

MainLoop::MainLoop() : wakeDescriptor(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

MainLoop::~MainLoop() {
    if (wakeDescriptor >= 0) {
        close(wakeDescriptor);
    }
}

MainLoop::TimerId MainLoop::addTimer(double delay, double interval, std::function<void()> fire) {
    return queue.addTimer(now() + delay, interval, std::move(fire));
}

void MainLoop::post(std::function<void()> task) {
    queue.post(std::move(task));
    wake();
}

void MainLoop::wake() const {
    const std::uint64_t one = 1;
    // A full counter already means a wake-up is pending.
    [[maybe_unused]] const auto written = write(wakeDescriptor, &one, sizeof one);
}

void MainLoop::runDue() {
    while (!isStopped && (queue.runNextTask() || queue.fireNextDue(now()))) {
    }
}

MainLoop::Readiness MainLoop::wait(int input, int output) {
    int timeout = -1;
    if (isStopped) {
        timeout = 0;
    } else if (const auto due = queue.nextDue()) {
        // Rounded up: waking early would only spin until the timer is due.
        const double milliseconds = std::ceil((*due - now()) * 1000.0);
        timeout = static_cast<int>(std::clamp(milliseconds, 0.0, 60'000.0));
    }
    // An output reports only its errors and hang-ups.
    pollfd descriptors[] = {{wakeDescriptor, POLLIN, 0}, {input, POLLIN, 0}, {output, 0, 0}};
    if (poll(descriptors, 3, timeout) <= 0) {
        return {};
    }
    if ((descriptors[0].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto drained = read(wakeDescriptor, &count, sizeof count);
    }
    return {
        .isInputReady = (descriptors[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0,
        .isOutputGone = (descriptors[2].revents & (POLLHUP | POLLERR)) != 0,
    };
}

MainLoop& mainLoop() {
    // Never destroyed: background threads may still post while the process exits.
    static MainLoop* const loop = new MainLoop;
    return *loop;
}

} // namespace tarvo::terminal

namespace tarvo::platform {

void postToMainThread(std::function<void()> task) {
    terminal::mainLoop().post(std::move(task));
}

} // namespace tarvo::platform

namespace tarvo::model {

RunQueue::TimerId addMainLoopTimer(double delay, double interval, std::function<void()> fire) {
    return terminal::mainLoop().addTimer(delay, interval, std::move(fire));
}

void cancelMainLoopTimer(RunQueue::TimerId id) {
    terminal::mainLoop().cancelTimer(id);
}

} // namespace tarvo::model
