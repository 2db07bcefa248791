#include "platform/SMCDriver.h"
#include "samplers/SMCClient.h"
#include "samplers/SMCValue.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

// A driver whose replies are the fuzzer's bytes: per call, one byte says whether the call
// succeeds, then up to 80 bytes overwrite the reply record.
namespace {
std::span<const std::uint8_t> replies;
}

namespace tarvo::platform {

SMCConnection openSMC() {
    return 1;
}
void closeSMC(SMCConnection) {}

bool callSMC(SMCConnection, const SMCParamRecord&, SMCParamRecord& reply) {
    if (replies.empty()) {
        return false;
    }
    const bool succeeds = (replies.front() & 1) != 0;
    replies = replies.subspan(1);
    const std::size_t count = std::min(replies.size(), sizeof reply);
    std::memcpy(&reply, replies.data(), count);
    replies = replies.subspan(count);
    return succeeds;
}

} // namespace tarvo::platform

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    if (size >= 4) {
        std::uint32_t type = 0;
        std::memcpy(&type, data, sizeof type);
        tarvo::smc::decodeTemperature(type, input.subspan(4, std::min<std::size_t>(size - 4, 32)));
    }
    replies = input;
    tarvo::smc::readKey(1, "Tp01");
    return 0;
}
