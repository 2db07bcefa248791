#pragma once

#include "platform/InterfaceCounters.h"

#include <span>
#include <vector>

namespace tarvo {

// Bytes moved since the previous sample; per second at the refresh cycle's pace.
struct NetworkSample {
    double downloadBytesPerSec = 0.0;
    double uploadBytesPerSec = 0.0;
};

// Traffic over the interfaces that are up, not loopback and named like Ethernet, Wi-Fi or
// cellular data, from their cumulative byte counters. Each interface is measured against its own
// previous counters, so one that comes, goes or restarts its counters never disturbs the others.
class NetworkSpeed {
public:
    NetworkSample sample();

    // The arithmetic of sample() for a reading already taken, whose counters wrap at
    // `counterBits` bits; moves every interface's baseline to this reading.
    NetworkSample measure(std::span<const platform::InterfaceCounters> reading,
                          unsigned counterBits);

private:
    std::vector<platform::InterfaceCounters> previous; // the last successful reading
    std::vector<platform::InterfaceCounters> current;  // storage for the platform's next one
};

} // namespace tarvo
