#pragma once

#include "app/AppDelegate.h"
#include "platform/Application.h"

#include <memory>
#include <optional>

namespace tarvo {

// What the entry point creates: the application object and the one delegate, which it keeps
// alive (the application does not keep its delegate).
struct Program {
    std::optional<platform::Application> app;
    std::shared_ptr<AppDelegate> delegate;
};

// The entry point's steps before the event loop: the shared application object, a new delegate,
// made the application's delegate.
void start(Program& program);

} // namespace tarvo
