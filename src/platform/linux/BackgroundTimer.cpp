#include "platform/BackgroundTimer.h"
#include "platform/linux/TimerDeadline.h"

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tarvo::platform {

namespace {

// What the worker needs. It holds its own reference, so that a timer destroyed from inside its
// task can leave the worker to finish that run on its own.
struct Plan {
    Plan(std::chrono::nanoseconds interval, std::function<void()> task)
        : interval(interval), task(std::move(task)) {}

    const std::chrono::steady_clock::duration interval;
    const std::function<void()> task;
    std::mutex mutex;
    std::condition_variable wake;
    bool isCancelled = false;
};

// Each Linux thread has its own nice value; 10 keeps the runs behind interactive work.
void lowerPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

void* runUntilCancelled(void* argument) {
    const std::shared_ptr<Plan> plan = std::move(*static_cast<std::shared_ptr<Plan>*>(argument));
    delete static_cast<std::shared_ptr<Plan>*>(argument);
    lowerPriority();
    auto due = std::chrono::steady_clock::now();
    std::unique_lock lock(plan->mutex);
    while (!plan->wake.wait_until(lock, due, [&] { return plan->isCancelled; })) {
        lock.unlock();
        plan->task();
        lock.lock();
        due = nextDeadline(due, plan->interval, std::chrono::steady_clock::now());
    }
    return nullptr;
}

// The worker is born with the asynchronous signals blocked, so that they reach the main thread,
// whose handlers may stop it and take the terminal back. A fault stays the worker's own: blocked,
// it would end the process without the handler that gives the terminal back. pthread_create
// rather than std::thread, whose failure (a thread limit, no room for a stack) is an exception.
std::optional<pthread_t> startWorker(const std::shared_ptr<Plan>& plan) {
    sigset_t asynchronous;
    sigset_t previous;
    sigfillset(&asynchronous);
    for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT}) {
        sigdelset(&asynchronous, fault);
    }
    pthread_sigmask(SIG_BLOCK, &asynchronous, &previous);
    auto* argument = new std::shared_ptr<Plan>(plan);
    pthread_t worker{};
    const bool isStarted = pthread_create(&worker, nullptr, runUntilCancelled, argument) == 0;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (!isStarted) {
        delete argument;
        return std::nullopt;
    }
    return worker;
}

} // namespace

struct BackgroundTimer::Schedule {
    std::shared_ptr<Plan> plan;
    std::optional<pthread_t> worker;
};

BackgroundTimer::BackgroundTimer(std::chrono::nanoseconds interval, std::function<void()> task)
    : schedule(std::make_unique<Schedule>()) {
    schedule->plan = std::make_shared<Plan>(interval, std::move(task));
    schedule->worker = startWorker(schedule->plan);
}

BackgroundTimer::~BackgroundTimer() {
    if (!schedule->worker) {
        return;
    }
    {
        const std::lock_guard lock(schedule->plan->mutex);
        schedule->plan->isCancelled = true;
    }
    schedule->plan->wake.notify_one();
    // A worker cannot wait for itself: from inside the task, it ends after this run.
    if (pthread_equal(*schedule->worker, pthread_self()) != 0) {
        pthread_detach(*schedule->worker);
    } else {
        pthread_join(*schedule->worker, nullptr);
    }
}

bool BackgroundTimer::isRunning() const {
    return schedule->worker.has_value();
}

} // namespace tarvo::platform
