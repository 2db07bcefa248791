#pragma once

#include "platform/ObjectRef.h"

#include <functional>

namespace tarvo::platform {

// A timer on a run loop (NSTimer). It keeps its block until it is invalidated, so a block that
// must not keep its owner alive captures a non-owning reference.
class Timer {
public:
    explicit Timer(ObjectRef object) : native(std::move(object)) {}

    // scheduledTimerWithTimeInterval:repeats:block: on the calling thread's run loop, in the
    // default mode only. The first fire comes one interval (seconds) from now; the block runs on
    // that thread at every fire until the timer is invalidated.
    static Timer scheduledTimer(double interval, bool repeats, std::function<void()> block);

    // No fire follows.
    void invalidate();

    const ObjectRef& object() const { return native; }

private:
    ObjectRef native;
};

enum class RunLoopMode {
    common, // NSRunLoopCommonModes: also while a menu is open
};

// A thread's run loop (NSRunLoop).
class RunLoop {
public:
    explicit RunLoop(ObjectRef object) : native(std::move(object)) {}

    static RunLoop main();

    // The timer also fires while the loop runs in `mode`.
    void addTimer(const Timer& timer, RunLoopMode mode);

private:
    ObjectRef native;
};

} // namespace tarvo::platform
