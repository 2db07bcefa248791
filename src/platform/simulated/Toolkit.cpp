// The simulated toolkit's own parts: the event loop, timers on the manual clock and the
// scripted fonts.
#include "platform/model/Toolkit.h"
#include "platform/Application.h"
#include "platform/Text.h"
#include "platform/Timer.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedToolkit.h"

#include <algorithm>

namespace tarvo::platform {

using model::TimerNode;

// Launches and returns at once: the test then drives the loop through its manual clock.
void Application::run() {
    model::record("NSApp", "run");
    if (const model::DelegateNode* delegate = model::toolkit().applicationDelegate) {
        model::send(*delegate, "applicationDidFinishLaunching:");
    }
    simulated::mainLoop().runPostedTasks();
}

void Application::terminate() {
    model::record("NSApp", "terminate:", "nil");
    model::toolkit().isTerminated = true;
}

Timer Timer::scheduledTimer(double interval, bool repeats, std::function<void()> block) {
    TimerNode& timer =
        model::scheduleTimer(simulated::mainLoop(), interval, repeats, std::move(block));
    model::record("NSTimer", "scheduledTimerWithTimeInterval:repeats:block:", interval, repeats);
    return Timer(model::refTo(timer));
}

void Timer::invalidate() {
    TimerNode& timer = model::nodeOf<TimerNode>(native);
    simulated::mainLoop().cancelTimer(timer.loopTimer);
    timer.isValid = false;
    model::record(timer.name, "invalidate");
}

RunLoop RunLoop::main() {
    model::record("NSRunLoop", "mainRunLoop");
    return RunLoop(ObjectRef{});
}

void RunLoop::addTimer(const Timer& timer, RunLoopMode) {
    TimerNode& node = model::nodeOf<TimerNode>(timer.object());
    node.isInCommonModes = true;
    model::record("NSRunLoop", "addTimer:forMode:", node.name, "NSRunLoopCommonModes");
}

double Font::ascender() const {
    model::record("NSFont", "ascender");
    return simulated::fontScript().ascender;
}

double Font::descender() const {
    model::record("NSFont", "descender");
    return simulated::fontScript().descender;
}

double Font::leading() const {
    model::record("NSFont", "leading");
    return simulated::fontScript().leading;
}

double textWidth(std::string_view text, const Font& font) {
    model::record(text, "sizeWithAttributes:", font.pointSize());
    const auto characters = std::count_if(text.begin(), text.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    });
    return static_cast<double>(characters) * simulated::fontScript().characterWidth;
}

} // namespace tarvo::platform
