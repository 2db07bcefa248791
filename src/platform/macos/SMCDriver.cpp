#include "platform/SMCDriver.h"

#include <IOKit/IOKitLib.h>
#include <mach/mach.h>
#include <type_traits>

namespace tarvo::platform {

static_assert(std::is_same_v<SMCConnection, io_connect_t>);

namespace {
// The user client's structure method that carries every SMC command.
constexpr std::uint32_t smcCommandSelector = 2;
} // namespace

SMCConnection openSMC() {
    // IOServiceGetMatchingService consumes the matching dictionary.
    const io_service_t service =
        IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSMC"));
    if (service == IO_OBJECT_NULL) {
        return 0;
    }
    io_connect_t conn = IO_OBJECT_NULL;
    const kern_return_t opened = IOServiceOpen(service, mach_task_self(), 0, &conn);
    IOObjectRelease(service);
    return opened == KERN_SUCCESS ? conn : 0;
}

bool callSMC(SMCConnection conn, const SMCParamRecord& request, SMCParamRecord& reply) {
    std::size_t replySize = sizeof reply;
    return IOConnectCallStructMethod(conn, smcCommandSelector, &request, sizeof request, &reply,
                                     &replySize) == KERN_SUCCESS;
}

void closeSMC(SMCConnection conn) {
    IOServiceClose(conn);
}

} // namespace tarvo::platform
