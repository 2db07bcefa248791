// NSTimer and NSRunLoop on the main loop that is linked in, the terminal's or the simulated one.
#include "platform/Timer.h"
#include "platform/model/RunQueue.h"
#include "platform/model/Toolkit.h"

namespace tarvo::platform {

using model::TimerNode;

Timer Timer::scheduledTimer(double interval, bool repeats, std::function<void()> block) {
    TimerNode& timer = model::create(model::toolkit().timers, "timer");
    timer.loopTimer = model::addMainLoopTimer(interval, repeats ? interval : 0.0, std::move(block));
    model::record("NSTimer", "scheduledTimerWithTimeInterval:repeats:block:", interval, repeats);
    return Timer(model::refTo(timer));
}

void Timer::invalidate() {
    const TimerNode& timer = model::nodeOf<TimerNode>(native);
    model::cancelMainLoopTimer(timer.loopTimer);
    model::record(timer.name, "invalidate");
}

RunLoop RunLoop::main() {
    model::record("NSRunLoop", "mainRunLoop");
    return RunLoop(ObjectRef{});
}

// The loop has a single mode: its timers fire while a menu is shown anyway.
void RunLoop::addTimer(const Timer& timer, RunLoopMode) {
    model::record("NSRunLoop", "addTimer:forMode:", model::nodeOf<TimerNode>(timer.object()).name,
                  "NSRunLoopCommonModes");
}

} // namespace tarvo::platform
