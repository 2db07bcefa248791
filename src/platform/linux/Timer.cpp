#include "platform/Timer.h"
#include "platform/linux/MainLoop.h"
#include "platform/model/Toolkit.h"

namespace tarvo::platform {

using model::TimerNode;

Timer Timer::scheduledTimer(double interval, bool repeats, std::function<void()> block) {
    TimerNode& timer = model::create(model::toolkit().timers, "timer");
    timer.interval = interval;
    timer.repeats = repeats;
    timer.block = std::move(block);
    timer.loopTimer = terminal::mainLoop().addTimer(interval, repeats ? interval : 0.0, [&timer] {
        timer.isValid = timer.repeats;
        timer.block();
    });
    return Timer(model::refTo(timer));
}

void Timer::invalidate() {
    TimerNode& timer = model::nodeOf<TimerNode>(native);
    terminal::mainLoop().cancelTimer(timer.loopTimer);
    timer.isValid = false;
}

RunLoop RunLoop::main() {
    return RunLoop(ObjectRef{});
}

// The terminal's loop has a single mode: timers fire while the menu is shown anyway.
void RunLoop::addTimer(const Timer& timer, RunLoopMode) {
    model::nodeOf<TimerNode>(timer.object()).isInCommonModes = true;
}

} // namespace tarvo::platform
