#pragma once

#include "platform/InterfaceCounters.h"

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace tarvo {

// Bytes moved per second since the previous sample.
struct NetworkSample {
    double downloadBytesPerSec = 0.0;
    double uploadBytesPerSec = 0.0;
};

// Traffic over the interfaces that are up, not loopback and named like Ethernet, Wi-Fi or
// cellular data, from their cumulative byte counters. Each interface is measured against its own
// previous counters, so one that comes, goes or restarts its counters never disturbs the others.
// The bytes are divided by the real time since the previous sample: a late tick, a refresh
// between ticks or a night's sleep still give bytes per second.
class NetworkSpeed {
public:
    NetworkSample sample();

    // The arithmetic of sample() for a reading already taken at `seconds` on the platform's
    // continuous clock.
    NetworkSample measure(std::span<const platform::InterfaceCounters> reading, double seconds);

private:
    // Bytes since the previous reading, summed; every interface's baseline moves to `reading`.
    std::pair<std::uint64_t, std::uint64_t>
    moveBaselines(std::span<const platform::InterfaceCounters> reading);

    std::vector<platform::InterfaceCounters> previous; // the last reading measured
    std::vector<platform::InterfaceCounters> current;  // storage for the platform's next one
    std::optional<double> previousSeconds;             // when `previous` was read
};

} // namespace tarvo
