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

namespace {
void observe(const char* what) {
    if (simulated::system().observer) {
        simulated::system().observer(what);
    }
}
} // namespace

std::optional<ProcessorTicks> readProcessorTicks() {
    ++simulated::system().processorTicksReads;
    observe("processorTicks");
    return simulated::system().processorTicks;
}

std::optional<InterfaceTotals> readInterfaceTotals() {
    ++simulated::system().interfaceTotalsReads;
    observe("interfaceTotals");
    return simulated::system().interfaceTotals;
}

std::vector<std::string> preferredLanguages() {
    return simulated::system().preferredLanguages;
}

} // namespace tarvo::platform
