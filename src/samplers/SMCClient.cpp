#include "samplers/SMCClient.h"
#include "samplers/FourCC.h"
#include "samplers/SMCValue.h"

#include <span>

namespace tarvo::smc {

namespace {

using platform::SMCParamRecord;

// A call counts only when both the call and the driver's command succeeded.
bool call(platform::SMCConnection conn, const SMCParamRecord& request, SMCParamRecord& reply) {
    return platform::callSMC(conn, request, reply) && reply.result == 0;
}

} // namespace

std::optional<double> readKey(platform::SMCConnection conn, std::string_view key) {
    const std::uint32_t code = fourCC(key);

    SMCParamRecord infoRequest;
    infoRequest.key = code;
    infoRequest.command = platform::smcReadKeyInfo;
    SMCParamRecord info;
    if (!call(conn, infoRequest, info) || info.dataSize == 0 || info.dataSize > info.bytes.size()) {
        return std::nullopt;
    }

    // The size comes from the key information, not from this reply; the type stays unsent.
    SMCParamRecord bytesRequest;
    bytesRequest.key = code;
    bytesRequest.dataSize = info.dataSize;
    bytesRequest.command = platform::smcReadKeyBytes;
    SMCParamRecord value;
    if (!call(conn, bytesRequest, value)) {
        return std::nullopt;
    }
    return decodeTemperature(info.dataType, std::span(value.bytes).first(info.dataSize));
}

} // namespace tarvo::smc
