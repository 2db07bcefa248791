#pragma once

#include "platform/InterfaceTotals.h"

#include <cstdint>
#include <optional>

namespace tarvo {

// Bytes moved since the previous sample; per second at the refresh cycle's pace.
struct NetworkSample {
    double downloadBytesPerSec = 0.0;
    double uploadBytesPerSec = 0.0;
};

// Traffic over the interfaces that are up, not loopback and named like Ethernet, Wi-Fi or
// cellular data, from their cumulative byte counters.
class NetworkSpeed {
public:
    NetworkSample sample();

    // The arithmetic of sample() for a snapshot already taken; moves the baseline.
    NetworkSample measure(const platform::InterfaceTotals& snapshot);

private:
    std::uint64_t previousDownloadBytes = 0;
    std::uint64_t previousUploadBytes = 0;
    bool hasBaseline = false;
};

} // namespace tarvo
