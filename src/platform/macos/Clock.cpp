#include "platform/Clock.h"
#include "platform/macos/Timebase.h"

#include <mach/kern_return.h>
#include <mach/mach_time.h>

namespace tarvo::platform {

// mach_absolute_time stops while the Mac sleeps; mach_continuous_time does not. Both count in
// ticks of the timebase, not in nanoseconds.
double continuousSeconds() {
    static const mach_timebase_info_data_t timebase = [] {
        mach_timebase_info_data_t info{};
        return mach_timebase_info(&info) == KERN_SUCCESS ? info : mach_timebase_info_data_t{};
    }();
    return timebaseSeconds(mach_continuous_time(), timebase.numer, timebase.denom);
}

} // namespace tarvo::platform
