#include "platform/simulated/SimulatedSystem.h"
#include "platform/InterfaceCounters.h"
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

bool readInterfaceCounters(std::vector<InterfaceCounters>& reading) {
    observe("interfaces");
    const auto& interfaces = simulated::system().interfaces;
    if (interfaces) {
        reading = *interfaces;
    }
    return interfaces.has_value();
}

std::vector<std::string> preferredLanguages() {
    return simulated::system().preferredLanguages;
}

} // namespace tarvo::platform
