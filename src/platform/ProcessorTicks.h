#pragma once

#include <cstdint>
#include <optional>

namespace tarvo::platform {

// Scheduler ticks since boot, summed over every processor.
struct ProcessorTicks {
    std::uint64_t user = 0;
    std::uint64_t system = 0;
    std::uint64_t idle = 0;
    std::uint64_t nice = 0;

    friend bool operator==(const ProcessorTicks&, const ProcessorTicks&) = default;
};

// The kernel's per-processor load counters, summed; nothing when they cannot be read.
std::optional<ProcessorTicks> readProcessorTicks();

} // namespace tarvo::platform
