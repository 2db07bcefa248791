#pragma once

#include <chrono>

namespace tarvo::platform {

// The deadline of the run after one that was due at `due`, on the fixed grid of `interval`.
// A run that overran several periods is followed by one run at once rather than one per missed
// period, as a Dispatch timer coalesces the events it could not deliver.
constexpr std::chrono::steady_clock::time_point
nextDeadline(std::chrono::steady_clock::time_point due,
             std::chrono::steady_clock::duration interval,
             std::chrono::steady_clock::time_point now) {
    const auto next = due + interval;
    return next < now ? next + (now - next) / interval * interval : next;
}

} // namespace tarvo::platform
