#include "app/AppDelegate.h"
#include "platform/Application.h"

#include <memory>
#include <optional>

namespace {

// Set once by main. `delegate` is the owning reference that keeps the delegate alive for the
// whole process: the application does not keep its delegate.
std::optional<tarvo::platform::Application> app;
std::shared_ptr<tarvo::AppDelegate> delegate;

} // namespace

int main() {
    {
        const tarvo::platform::AutoreleasePool pool;
        app = tarvo::platform::Application::shared();
        delegate = tarvo::AppDelegate::create();
        app->setDelegate(delegate->object());
    }
    app->run();
    // Only the terminal front end returns here. Let the delegate go while the toolkit it
    // talks to still exists, before static destruction.
    delegate.reset();
    app.reset();
    return 0;
}
