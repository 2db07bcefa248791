#pragma once

#include "platform/SMCDriver.h"

#include <string>

namespace tarvo::platform {

// Linux has no SMC: its driver answers the CPU temperature keys from the kernel's CPU sensors
// (CPUSensors.h), the n-th key from the n-th sensor, each as a "flt " value; a key with no
// sensor behind it, or whose sensor gives no reading, is refused like a key the SMC lacks. One
// connection at a time. openSMC() opens the sensors under /sys; this, those under any sysfs root.
SMCConnection openSMCUnder(const std::string& sysRoot);

} // namespace tarvo::platform
