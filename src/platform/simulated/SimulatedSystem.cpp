#include "platform/simulated/SimulatedSystem.h"
#include "platform/InterfaceTotals.h"
#include "platform/PreferredLanguages.h"
#include "platform/ProcessorTicks.h"

namespace tarvo::simulated {

SystemScript& system() {
    static SystemScript script;
    return script;
}

void resetSystem() {
    system() = SystemScript{};
}

} // namespace tarvo::simulated

namespace tarvo::platform {

std::optional<ProcessorTicks> readProcessorTicks() {
    ++simulated::system().processorTicksReads;
    return simulated::system().processorTicks;
}

std::optional<InterfaceTotals> readInterfaceTotals() {
    ++simulated::system().interfaceTotalsReads;
    return simulated::system().interfaceTotals;
}

std::vector<std::string> preferredLanguages() {
    return simulated::system().preferredLanguages;
}

} // namespace tarvo::platform
