#include "platform/Timer.h"
#include "platform/linux/MainLoop.h"
#include "platform/model/Toolkit.h"

namespace tarvo::platform {

using model::TimerNode;

Timer Timer::scheduledTimer(double interval, bool repeats, std::function<void()> block) {
    TimerNode& timer =
        model::scheduleTimer(terminal::mainLoop(), interval, repeats, std::move(block));
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
