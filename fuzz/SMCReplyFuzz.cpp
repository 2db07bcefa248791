#include "platform/SMCDriver.h"
#include "samplers/SMCClient.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

// A driver whose replies are the fuzzer's bytes: per call, one byte says whether the call
// succeeds, then up to 80 bytes overwrite the reply record. The key information's size and type
// thus reach the decoding of the value bytes. (Only the client's call is linked: no open or close.)
static std::span<const std::uint8_t> replies;

namespace tarvo::platform {

bool callSMC(SMCConnection, const SMCParamRecord&, SMCParamRecord& reply) {
    if (replies.empty()) {
        return false;
    }
    const bool succeeds = (replies.front() & 1) != 0;
    const std::size_t count = std::min(replies.size() - 1, sizeof reply);
    std::memcpy(&reply, replies.data() + 1, count);
    replies = replies.subspan(1 + count);
    return succeeds;
}

} // namespace tarvo::platform

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    replies = {data, size};
    tarvo::smc::readKey(1, "Tp01");
    return 0;
}
