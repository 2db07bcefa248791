#include "platform/Timer.h"
#include "platform/macos/Foundation.h"
#include "platform/macos/Objects.h"
#include "platform/macos/Runtime.h"
#include "platform/macos/Selectors.h"

namespace tarvo::platform {

namespace {

using appkit::objectOf;
using appkit::send;

// The timer's block, built by hand after the compiler's block layout: it starts on the stack
// pointing at the caller's callable, and the timer's copy of it (made by Block_copy, which
// calls copyBlock) owns a callable of its own until the runtime disposes of the copy.
struct BlockDescriptor {
    unsigned long reserved;
    unsigned long size;
    void (*copy)(void* destination, const void* source);
    void (*dispose)(const void* block);
    const char* signature;
    const char* layout;
};

struct TimerBlock {
    void* isa;
    int flags;
    int reserved;
    void (*invoke)(const TimerBlock* block, id timer);
    const BlockDescriptor* descriptor;
    std::function<void()>* callable;
};

constexpr int blockHasCopyDispose = 1 << 25;
constexpr int blockHasSignature = 1 << 30;

void invokeBlock(const TimerBlock* block, id) {
    (*block->callable)();
}

void copyBlock(void* destination, const void* source) {
    static_cast<TimerBlock*>(destination)->callable =
        new std::function<void()>(*static_cast<const TimerBlock*>(source)->callable);
}

void disposeBlock(const void* block) {
    delete static_cast<const TimerBlock*>(block)->callable;
}

// void (^)(NSTimer *)
constexpr BlockDescriptor timerBlockDescriptor{
    0, sizeof(TimerBlock), copyBlock, disposeBlock, "v16@?0@\"NSTimer\"8", nullptr};

} // namespace

Timer Timer::scheduledTimer(double interval, bool repeats, std::function<void()> block) {
    const TimerBlock literal{_NSConcreteStackBlock,
                             blockHasCopyDispose | blockHasSignature,
                             0,
                             invokeBlock,
                             &timerBlockDescriptor,
                             &block};
    return Timer(ObjectRef::retain(send<id, double, BOOL, const void*>(
        appkit::classes().nsTimer, appkit::selectors().scheduledTimerWithTimeIntervalRepeatsBlock,
        interval, repeats, &literal)));
}

void Timer::invalidate() {
    send<void>(objectOf(native), appkit::selectors().invalidate);
}

RunLoop RunLoop::main() {
    return RunLoop(
        ObjectRef::retain(send<id>(appkit::classes().nsRunLoop, appkit::selectors().mainRunLoop)));
}

void RunLoop::addTimer(const Timer& timer, RunLoopMode) {
    send<void, id, id>(objectOf(native), appkit::selectors().addTimerForMode,
                       objectOf(timer.object()), NSRunLoopCommonModes);
}

} // namespace tarvo::platform
