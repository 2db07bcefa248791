#include "platform/SMCDriver.h"

// Linux has no AppleSMC service: opening finds none, and the temperature shows as unavailable.

namespace tarvo::platform {

SMCConnection openSMC() {
    return 0;
}

bool callSMC(SMCConnection, const SMCParamRecord&, SMCParamRecord&) {
    return false;
}

void closeSMC(SMCConnection) {}

} // namespace tarvo::platform
