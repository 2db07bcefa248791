#pragma once

namespace tarvo::platform {

// Seconds on a monotonic clock that keeps counting while the machine sleeps or the process is
// stopped, so that the difference of two readings is the real time between them. Only
// differences mean anything. Not a number if the clock cannot be read.
double continuousSeconds();

} // namespace tarvo::platform
