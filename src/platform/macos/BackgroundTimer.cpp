#include "platform/BackgroundTimer.h"

#include <cstdint>
#include <dispatch/dispatch.h>

namespace tarvo::platform {

struct BackgroundTimer::Schedule {
    dispatch_source_t source = nullptr;
};

namespace {

using Task = std::function<void()>;

void runTask(void* task) {
    (*static_cast<Task*>(task))();
}

void freeTask(void* task) {
    delete static_cast<Task*>(task);
}

} // namespace

BackgroundTimer::BackgroundTimer(std::chrono::nanoseconds interval, std::function<void()> task)
    : schedule(std::make_unique<Schedule>()) {
    const dispatch_source_t source = dispatch_source_create(
        DISPATCH_SOURCE_TYPE_TIMER, 0, 0, dispatch_get_global_queue(QOS_CLASS_UTILITY, 0));
    if (source == nullptr) {
        return; // the system has no source to give: the task never runs
    }
    // Cancelling does not wait for a run in progress, so the task belongs to the source, which
    // frees it in its cancel handler: that runs only after the last run has returned.
    dispatch_set_context(source, new Task(std::move(task)));
    dispatch_source_set_event_handler_f(source, runTask);
    dispatch_source_set_cancel_handler_f(source, freeTask);
    dispatch_source_set_timer(source, dispatch_time(DISPATCH_TIME_NOW, 0),
                              static_cast<std::uint64_t>(interval.count()), 0);
    dispatch_resume(source);
    schedule->source = source;
}

BackgroundTimer::~BackgroundTimer() {
    if (schedule->source != nullptr) {
        dispatch_source_cancel(schedule->source);
        dispatch_release(schedule->source);
    }
}

bool BackgroundTimer::isRunning() const {
    return schedule->source != nullptr;
}

} // namespace tarvo::platform
