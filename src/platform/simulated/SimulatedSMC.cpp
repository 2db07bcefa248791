#include "platform/simulated/SimulatedSMC.h"

#include <algorithm>
#include <mutex>
#include <thread>

namespace tarvo::simulated {

namespace {

std::mutex driverMutex;

// The driver's result code for a command it cannot carry out.
constexpr std::uint8_t failedResult = 1;

bool isOpen(platform::SMCConnection conn) {
    return conn != 0 && conn == smc().openHandle;
}

// Applies a fault to a call whose reply is filled; false when the call itself fails.
bool spoil(SMCFault fault, platform::SMCParamRecord& reply) {
    if (fault == SMCFault::resultNonzero) {
        reply.result = failedResult;
    }
    return fault != SMCFault::callFails;
}

bool answer(const platform::SMCParamRecord& request, platform::SMCParamRecord& reply) {
    const auto found = smc().keys.find(request.key);
    if (found == smc().keys.end()) {
        reply.result = failedResult;
        return true;
    }
    const SMCKey& key = found->second;
    switch (request.command) {
    case platform::smcReadKeyInfo:
        reply.dataSize = key.reportedSize.value_or(static_cast<std::uint32_t>(key.bytes.size()));
        reply.dataType = key.dataType;
        return spoil(key.infoFault, reply);
    case platform::smcReadKeyBytes: {
        const std::size_t count =
            std::min({key.bytes.size(), std::size_t{request.dataSize}, reply.bytes.size()});
        std::copy_n(key.bytes.begin(), count, reply.bytes.begin());
        return spoil(key.bytesFault, reply);
    }
    default:
        reply.result = failedResult;
        return true;
    }
}

} // namespace

SMCScript& smc() {
    static SMCScript script;
    return script;
}

void resetSMC() {
    const std::lock_guard lock(driverMutex);
    smc() = SMCScript{};
}

} // namespace tarvo::simulated

namespace tarvo::platform {

SMCConnection openSMC() {
    // Handles are never reused, not even across tests, so a stale one is always caught.
    static SMCConnection lastHandle = 0;
    const std::lock_guard lock(simulated::driverMutex);
    auto& script = simulated::smc();
    if (!script.hasService) {
        return 0;
    }
    ++script.opens;
    script.openHandle = ++lastHandle;
    if (script.observer) {
        script.observer("open");
    }
    return script.openHandle;
}

bool callSMC(SMCConnection conn, const SMCParamRecord& request, SMCParamRecord& reply) {
    if (simulated::smc().observer) {
        simulated::smc().observer("call"); // unlocked, so that it may act on the driver itself
    }
    std::chrono::microseconds inFlight{};
    {
        const std::lock_guard lock(simulated::driverMutex);
        simulated::smc().requests.push_back(request);
        if (!simulated::isOpen(conn)) {
            ++simulated::smc().misuses;
            return false;
        }
        inFlight = simulated::smc().callDuration;
    }
    std::this_thread::sleep_for(inFlight);
    const std::lock_guard lock(simulated::driverMutex);
    if (!simulated::isOpen(conn)) {
        ++simulated::smc().misuses;
        return false;
    }
    return simulated::answer(request, reply);
}

void closeSMC(SMCConnection conn) {
    const std::lock_guard lock(simulated::driverMutex);
    if (!simulated::isOpen(conn)) {
        ++simulated::smc().misuses;
        return;
    }
    ++simulated::smc().closes;
    simulated::smc().openHandle = 0;
    if (simulated::smc().observer) {
        simulated::smc().observer("close");
    }
}

} // namespace tarvo::platform
