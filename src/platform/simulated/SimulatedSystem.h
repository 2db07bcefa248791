#pragma once

#include "platform/InterfaceTotals.h"
#include "platform/ProcessorTicks.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::simulated {

// What the simulated kernel answers. Tests write it; the platform functions read it.
struct SystemScript {
    std::optional<platform::ProcessorTicks> processorTicks = platform::ProcessorTicks{};
    std::optional<platform::InterfaceTotals> interfaceTotals = platform::InterfaceTotals{};
    std::vector<std::string> preferredLanguages;
    int processorTicksReads = 0;
    int interfaceTotalsReads = 0;
    // Told "processorTicks" or "interfaceTotals" at every read, so a test can place the reads
    // among other events.
    std::function<void(const char* what)> observer;
};

// The one simulated system of the process; reset() gives it a fresh script.
SystemScript& system();
void resetSystem();

} // namespace tarvo::simulated
