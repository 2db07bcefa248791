#include "appkit/Install.h"
#include "appkit/World.h"
#include "platform/macos/Runtime.h"
#include "platform/simulated/ManualLoop.h"

#include <algorithm>

// NSObject's memory management, strings, collections, timers and the main run loop.
namespace tarvo::appkit::doubles {

namespace {

// What alloc gives a new instance, by the first class in its chain that has state.
State initialState(Class cls) {
    for (Class current = cls; current != Nil; current = class_getSuperclass(current)) {
        const std::string_view name = class_getName(current);
        if (name == "NSString") {
            return StringState{};
        }
        if (name == "NSView") {
            return ViewState{};
        }
        if (name == "NSMenu") {
            return MenuState{};
        }
        if (name == "NSMenuItem") {
            return MenuItemState{};
        }
        if (name == "NSParagraphStyle") {
            return ParagraphStyleState{};
        }
    }
    return std::monostate{};
}

id alloc(id self, SEL) {
    const Class cls = reinterpret_cast<Class>(self);
    return world().create(cls, initialState(cls));
}

id init(id self, SEL) {
    return self;
}

id retain(id self, SEL) {
    world().retain(self);
    return self;
}

void release(id self, SEL) {
    world().release(self);
}

id initWithBytes(id self, SEL, const void* bytes, NSUInteger length, NSUInteger encoding) {
    if (encoding != utf8StringEncoding) {
        fail("a string of the encoding " + std::to_string(encoding) + ", not UTF-8");
    }
    world().state<StringState>(self).text.assign(static_cast<const char*>(bytes), length);
    return self;
}

std::vector<Strong> objectsAt(const id* objects, NSUInteger count) {
    std::vector<Strong> held;
    for (NSUInteger i = 0; i < count; ++i) {
        if (objects[i] == nil) {
            fail("a nil object in a collection");
        }
        held.emplace_back(objects[i]);
    }
    return held;
}

id arrayWithObjects(id self, SEL, const id* objects, NSUInteger count) {
    World& current = world();
    return current.autorelease(
        current.create(reinterpret_cast<Class>(self), ArrayState{objectsAt(objects, count)}));
}

id dictionaryWithObjects(id self, SEL, const id* objects, const id* keys, NSUInteger count) {
    const std::vector<Strong> values = objectsAt(objects, count);
    const std::vector<Strong> heldKeys = objectsAt(keys, count);
    DictionaryState dictionary;
    for (NSUInteger i = 0; i < count; ++i) {
        dictionary.entries.emplace_back(heldKeys[i], values[i]);
    }
    World& current = world();
    return current.autorelease(current.create(reinterpret_cast<Class>(self), dictionary));
}

bool hasMode(const TimerState& timer, std::string_view mode) {
    return std::find(timer.modes.begin(), timer.modes.end(), mode) != timer.modes.end();
}

void fire(id timer) {
    World& current = world();
    const Strong firing(timer);
    const TimerState& state = current.state<TimerState>(timer);
    if (current.isTrackingMenu && !hasMode(state, "NSRunLoopCommonModes")) {
        return;
    }
    const std::shared_ptr<HeapBlock> block = state.block;
    void* pool = current.pushPool();
    block->invoke(timer);
    current.popPool(pool);
}

void invalidateTimer(id timer) {
    World& current = world();
    TimerState& state = current.state<TimerState>(timer);
    if (!state.isValid) {
        return;
    }
    state.isValid = false;
    simulated::mainLoop().cancelTimer(state.loopTimer);
    const std::shared_ptr<HeapBlock> block = std::move(state.block);
    auto& timers = current.state<RunLoopState>(current.mainRunLoop).timers;
    std::erase_if(timers, [&](const Strong& held) { return held.get() == timer; });
}

// Scheduled in the run loop's default mode; fires on the simulated main loop's clock.
id scheduledTimer(id self, SEL, double interval, BOOL repeats, const void* block) {
    World& current = world();
    const id timer =
        current.create(reinterpret_cast<Class>(self),
                       TimerState{repeats != NO,
                                  std::make_shared<HeapBlock>(HeapBlock::copy(block, "v@?@")),
                                  0,
                                  true,
                                  {"NSDefaultRunLoopMode"}});
    current.state<RunLoopState>(current.mainRunLoop).timers.emplace_back(timer);
    current.state<TimerState>(timer).loopTimer =
        simulated::mainLoop().addTimer(interval, repeats != NO ? interval : 0.0, [timer] {
            fire(timer);
            if (!world().state<TimerState>(timer).repeats) {
                invalidateTimer(timer);
            }
        });
    return current.autorelease(timer);
}

void invalidate(id self, SEL) {
    invalidateTimer(self);
}

id mainRunLoop(id, SEL) {
    return world().mainRunLoop;
}

void addTimer(id self, SEL, id timer, id mode) {
    TimerState& state = world().state<TimerState>(timer);
    if (!state.isValid) {
        return;
    }
    state.modes.push_back(describeObject(mode));
    auto& timers = world().state<RunLoopState>(self).timers;
    if (std::none_of(timers.begin(), timers.end(),
                     [&](const Strong& held) { return held.get() == timer; })) {
        timers.emplace_back(timer);
    }
}

} // namespace

void answerFoundation() {
    const Class object = classNamed("NSObject");
    answer(metaclassOf(object), "alloc", alloc);
    answer(object, "init", init);
    answer(object, "retain", retain);
    answer(object, "release", release);

    answer(classNamed("NSString"), "initWithBytes:length:encoding:", initWithBytes);
    answer(metaclassOf(classNamed("NSArray")), "arrayWithObjects:count:", arrayWithObjects);
    answer(metaclassOf(classNamed("NSDictionary")),
           "dictionaryWithObjects:forKeys:count:", dictionaryWithObjects);

    const Class timer = classNamed("NSTimer");
    answer(metaclassOf(timer), "scheduledTimerWithTimeInterval:repeats:block:", scheduledTimer);
    answer(timer, "invalidate", invalidate);
    const Class runLoop = classNamed("NSRunLoop");
    answer(metaclassOf(runLoop), "mainRunLoop", mainRunLoop);
    answer(runLoop, "addTimer:forMode:", addTimer);
}

} // namespace tarvo::appkit::doubles
