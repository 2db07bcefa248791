#include "platform/Clock.h"

#include <limits>
#include <mach/kern_return.h>
#include <mach/mach_time.h>

namespace tarvo::platform {

// mach_absolute_time stops while the Mac sleeps; mach_continuous_time does not. Both count in
// ticks of the timebase (125/3 ns on Apple silicon), not in nanoseconds.
double continuousSeconds() {
    static const mach_timebase_info_data_t timebase = [] {
        mach_timebase_info_data_t info{};
        return mach_timebase_info(&info) == KERN_SUCCESS ? info : mach_timebase_info_data_t{};
    }();
    if (timebase.denom == 0) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return static_cast<double>(mach_continuous_time()) * timebase.numer / timebase.denom * 1e-9;
}

} // namespace tarvo::platform
