#pragma once

#include <functional>

namespace tarvo::platform {

// Queues a task to run later on the main thread, never inside the call that posts it.
// Safe to call from any thread.
void postToMainThread(std::function<void()> task);

} // namespace tarvo::platform
