#include "platform/MainThread.h"

#include <dispatch/dispatch.h>
#include <memory>

namespace tarvo::platform {

void postToMainThread(std::function<void()> task) {
    dispatch_async_f(dispatch_get_main_queue(), new std::function<void()>(std::move(task)),
                     [](void* context) {
                         const std::unique_ptr<std::function<void()>> owned(
                             static_cast<std::function<void()>*>(context));
                         (*owned)();
                     });
}

} // namespace tarvo::platform
