#include "platform/Clock.h"

#include <ctime>
#include <limits>

namespace tarvo::platform {

// CLOCK_MONOTONIC stops while the machine is suspended; CLOCK_BOOTTIME does not.
double continuousSeconds() {
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

} // namespace tarvo::platform
