#include "platform/linux/LinkMessages.h"

#include <cstddef>
#include <cstdint>
#include <span>

// Any datagram the routing socket might hand back, read as a dump with sequence number 1.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarvo::platform::InterfaceTotals totals;
    tarvo::platform::addLinkMessages(std::span(data, size), 1, totals);
    return 0;
}
