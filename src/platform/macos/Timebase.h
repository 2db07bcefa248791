#pragma once

#include <cstdint>
#include <limits>

namespace tarvo::platform {

// Seconds in `ticks` of a Mac's clock, whose timebase makes a tick numer / denom nanoseconds
// (125/3 on Apple silicon, 1/1 on Intel). Whole multiples of denom are divided first: ticks ×
// numer would pass 2^64 after 195 years at 125/3, the nanoseconds only after 584. The rest, less
// than denom, is multiplied first, so that no fraction of a tick is cut. Not a number without a
// timebase.
constexpr double timebaseSeconds(std::uint64_t ticks, std::uint32_t numer, std::uint32_t denom) {
    if (denom == 0) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    constexpr std::uint64_t nanosecondsPerSecond = 1'000'000'000;
    const std::uint64_t nanoseconds = ticks / denom * numer;
    const std::uint64_t wholeSeconds = nanoseconds / nanosecondsPerSecond;
    const double fraction = static_cast<double>(ticks % denom * numer) / denom;
    return static_cast<double>(wholeSeconds) +
           (static_cast<double>(nanoseconds % nanosecondsPerSecond) + fraction) * 1e-9;
}

} // namespace tarvo::platform
