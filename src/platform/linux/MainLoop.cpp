#include "platform/linux/MainLoop.h"
#include "platform/MainThread.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tarvo::terminal {

namespace {

std::chrono::steady_clock::duration seconds(double value) {
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(value));
}

} // namespace

MainLoop::MainLoop() : wakeDescriptor(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

MainLoop::~MainLoop() {
    if (wakeDescriptor >= 0) {
        close(wakeDescriptor);
    }
}

MainLoop::TimerId MainLoop::addTimer(double delay, double interval, std::function<void()> fire) {
    const TimerId id = nextId++;
    timers.emplace(id, Timer{Clock::now() + seconds(delay), seconds(interval),
                             std::make_shared<const std::function<void()>>(std::move(fire))});
    return id;
}

void MainLoop::cancelTimer(TimerId id) {
    timers.erase(id);
}

void MainLoop::post(std::function<void()> task) {
    {
        const std::lock_guard lock(tasksMutex);
        tasks.push_back(std::move(task));
    }
    wake();
}

void MainLoop::wake() const {
    const std::uint64_t one = 1;
    // A full counter already means a wake-up is pending.
    [[maybe_unused]] const auto written = write(wakeDescriptor, &one, sizeof one);
}

bool MainLoop::runNextTask() {
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

bool MainLoop::fireNextDue(Clock::time_point now) {
    const auto next = std::ranges::min_element(
        timers, [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
    if (next == timers.end() || next->second.due > now) {
        return false;
    }
    // Shared, so that the callback may cancel its own timer.
    const auto fire = next->second.fire;
    Timer& timer = next->second;
    if (timer.interval > Clock::duration::zero()) {
        // A late loop skips the fires it missed and keeps the timer's rhythm.
        while (timer.due <= now) {
            timer.due += timer.interval;
        }
    } else {
        timers.erase(next);
    }
    (*fire)();
    return true;
}

void MainLoop::runDue() {
    while (!isStopped && (runNextTask() || fireNextDue(Clock::now()))) {
    }
}

MainLoop::Readiness MainLoop::wait(int input, int output) {
    int timeout = -1;
    if (isStopped) {
        timeout = 0;
    } else if (!timers.empty()) {
        const auto next = std::ranges::min_element(
            timers, [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
        const auto remaining = next->second.due - Clock::now();
        // Rounded up: waking early would only spin until the timer is due.
        const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
        timeout = static_cast<int>(std::clamp<decltype(milliseconds)>(milliseconds, 0, 60'000));
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
