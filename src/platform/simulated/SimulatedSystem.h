#pragma once

#include "platform/InterfaceCounters.h"
#include "platform/ProcessorTicks.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::simulated {

// What the simulated kernel answers. Tests write it; the platform functions read it.
struct SystemScript {
    std::optional<platform::ProcessorTicks> processorTicks = platform::ProcessorTicks{};
    // One interface, counting from zero; its 64-bit counters never wrap.
    std::optional<std::vector<platform::InterfaceCounters>> interfaces =
        std::vector{platform::InterfaceCounters{1, {"en0"}, 0, 0}};
    std::vector<std::string> preferredLanguages;
    int processorTicksReads = 0;
    // Told "processorTicks" or "interfaces" at every read, so a test can place the reads
    // among other events.
    std::function<void(const char* what)> observer;
};

// The one simulated system of the process; reset() gives it a fresh script.
SystemScript& system();
void resetSystem();

} // namespace tarvo::simulated
