#include "platform/linux/SMCDriver.h"
#include "platform/linux/CPUSensors.h"
#include "samplers/CPUSensorKeys.h"
#include "samplers/FourCC.h"

#include <array>
#include <bit>
#include <mutex>
#include <optional>
#include <unistd.h>

namespace tarvo::platform {
namespace {

// The result code of a command refused for a key.
constexpr std::uint8_t refused = 1;

// The sensor files stay open from the open to the close, each read from its start on every pass.
struct SensorConnection {
    std::mutex mutex;
    SMCConnection handle = 0; // 0 while closed
    SMCConnection lastHandle = 0;
    std::array<int, smc::cpuTemperatureKeys.size()> sensors{};
    std::size_t sensorCount = 0;
};

// Never destroyed: the poll thread may still be reading while the process exits.
SensorConnection& connection() {
    static SensorConnection* const state = new SensorConnection;
    return *state;
}

bool isOpen(const SensorConnection& state, SMCConnection conn) {
    return conn != 0 && conn == state.handle;
}

// The sensor that answers a key, if any.
std::optional<int> sensorFor(const SensorConnection& state, std::uint32_t key) {
    for (std::size_t index = 0; index < state.sensorCount; ++index) {
        if (smc::fourCC(smc::cpuTemperatureKeys[index]) == key) {
            return state.sensors[index];
        }
    }
    return std::nullopt;
}

// A "flt " value: a single-precision float, least significant byte first.
void putFloat(double value, SMCParamRecord& reply) {
    const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
    for (std::size_t index = 0; index < sizeof bits; ++index) {
        reply.bytes[index] = static_cast<std::uint8_t>(bits >> (8 * index));
    }
}

// Fills the reply to one command on the key that `sensor` answers.
void answer(int sensor, const SMCParamRecord& request, SMCParamRecord& reply) {
    if (request.command == smcReadKeyInfo) {
        reply.dataSize = sizeof(float);
        reply.dataType = smc::fourCC("flt ");
        return;
    }
    const auto celsius = request.command == smcReadKeyBytes ? readSensor(sensor) : std::nullopt;
    if (celsius) {
        putFloat(*celsius, reply);
    } else {
        reply.result = refused;
    }
}

} // namespace

SMCConnection openSMCUnder(const std::string& sysRoot) {
    const std::vector<std::string> paths = findCPUSensors(sysRoot);
    SensorConnection& state = connection();
    const std::lock_guard lock(state.mutex);
    if (state.handle != 0) {
        return 0;
    }
    for (const std::string& path : paths) {
        if (state.sensorCount == state.sensors.size()) {
            break;
        }
        const int sensor = openWithoutBlocking(path);
        if (sensor >= 0) {
            state.sensors[state.sensorCount++] = sensor;
        }
    }
    if (state.sensorCount == 0) {
        return 0;
    }
    state.handle = ++state.lastHandle; // never reused, so a stale handle is refused
    return state.handle;
}

SMCConnection openSMC() {
    return openSMCUnder("/sys");
}

bool callSMC(SMCConnection conn, const SMCParamRecord& request, SMCParamRecord& reply) {
    SensorConnection& state = connection();
    const std::lock_guard lock(state.mutex);
    if (!isOpen(state, conn)) {
        return false;
    }
    if (const auto sensor = sensorFor(state, request.key)) {
        answer(*sensor, request, reply);
    } else {
        reply.result = refused;
    }
    return true;
}

void closeSMC(SMCConnection conn) {
    SensorConnection& state = connection();
    const std::lock_guard lock(state.mutex);
    if (!isOpen(state, conn)) {
        return;
    }
    for (std::size_t index = 0; index < state.sensorCount; ++index) {
        ::close(state.sensors[index]);
    }
    state.sensorCount = 0;
    state.handle = 0;
}

} // namespace tarvo::platform
