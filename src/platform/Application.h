#pragma once

#include "platform/ObjectRef.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace tarvo::platform {

// What the application delegate does with each message it answers, on the main thread. An empty
// function does nothing.
struct DelegateActions {
    std::function<void()> applicationDidFinishLaunching; // applicationDidFinishLaunching:
    std::function<void()> refreshNow;                    // refreshNow
    std::function<void()> quit;                          // quit
};

// The application delegate as the toolkit sees it: an object answering the messages above by
// their selector names, so that it can be the application's delegate and a menu item's target.
// A toolkit object that outlives it answers nothing.
class ApplicationDelegate {
public:
    explicit ApplicationDelegate(DelegateActions actions);
    ~ApplicationDelegate();
    ApplicationDelegate(const ApplicationDelegate&) = delete;
    ApplicationDelegate& operator=(const ApplicationDelegate&) = delete;

    const ObjectRef& object() const { return native; }

private:
    DelegateActions actions;
    ObjectRef native;
};

enum class ActivationPolicy {
    accessory = 1, // no dock icon, no main menu
};

// The process's application object (NSApplication).
class Application {
public:
    explicit Application(ObjectRef object) : native(std::move(object)) {}

    static Application shared();

    // The application does not keep the delegate alive.
    void setDelegate(const ApplicationDelegate& delegate);
    void setActivationPolicy(ActivationPolicy policy);

    // Runs the event loop on the main thread. The delegate's applicationDidFinishLaunching: runs
    // once, from inside the loop.
    void run();

    // Ends the application: on macOS the process ends here; the terminal front end returns from
    // run() once the current task is done.
    void terminate();

    const ObjectRef& object() const { return native; }

private:
    ObjectRef native;
};

// NSActivityOptions.
enum class ActivityOptions : std::uint64_t {
    // NSActivityUserInitiatedAllowingIdleSystemSleep: work the user asked for, which App Nap must
    // not throttle; the Mac may still sleep when idle.
    userInitiatedAllowingIdleSystemSleep = 0x00EFFFFF,
};

// Work the system is told about (an NSProcessInfo activity); it holds while the object lives.
class Activity {
public:
    explicit Activity(ObjectRef object) : native(std::move(object)) {}

    // beginActivityWithOptions:reason: of the process's NSProcessInfo. The reason serves
    // diagnostics only; it is never shown.
    static Activity begin(ActivityOptions options, std::string_view reason);

    const ObjectRef& object() const { return native; }

private:
    ObjectRef native;
};

// While it lives, objects handed out for the moment are kept; they go when it ends. The event
// loop has its own pools, so only code outside it (the entry point) needs one.
class AutoreleasePool {
public:
    AutoreleasePool();
    // NOLINTNEXTLINE(performance-trivially-destructible): the macOS build's pops the pool.
    ~AutoreleasePool();
    AutoreleasePool(const AutoreleasePool&) = delete;
    AutoreleasePool& operator=(const AutoreleasePool&) = delete;

private:
    void* token;
};

} // namespace tarvo::platform
