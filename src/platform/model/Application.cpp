#include "platform/Application.h"
#include "platform/model/Toolkit.h"

#include <string>

namespace tarvo::platform {

// Objects of the in-memory toolkit live as long as the toolkit: nothing to count.
void retainObject(void*) {}
void releaseObject(void*) {}

AutoreleasePool::AutoreleasePool() : token(nullptr) {}
AutoreleasePool::~AutoreleasePool() = default;

ApplicationDelegate::ApplicationDelegate(DelegateActions actions) : actions(std::move(actions)) {
    model::DelegateNode& node = model::create(model::toolkit().delegates, "delegate");
    node.actions = &this->actions;
    native = model::refTo(node);
    model::record(node.name, "init");
}

ApplicationDelegate::~ApplicationDelegate() {
    model::nodeOf<model::DelegateNode>(native).actions = nullptr;
}

Application Application::shared() {
    model::record("NSApplication", "sharedApplication");
    return Application(ObjectRef{});
}

void Application::setDelegate(const ApplicationDelegate& delegate) {
    const auto& node = model::nodeOf<model::DelegateNode>(delegate.object());
    model::toolkit().applicationDelegate = &node;
    model::record("NSApp", "setDelegate:", node.name);
}

// Nothing throttles the terminal's timers; the activity is only recorded.
Activity Activity::begin(ActivityOptions options, std::string_view reason) {
    model::record("NSProcessInfo", "beginActivityWithOptions:reason:",
                  std::to_string(static_cast<std::uint64_t>(options)), reason);
    return Activity(ObjectRef{});
}

void Application::setActivationPolicy(ActivationPolicy policy) {
    model::record("NSApp", "setActivationPolicy:", static_cast<double>(policy));
}

} // namespace tarvo::platform
