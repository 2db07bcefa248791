#include "platform/linux/LinkMessages.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Any datagram the routing socket might hand back, read as a link dump and as a statistics dump
// with sequence number 1.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<tarvo::platform::InterfaceCounters> reading;
    tarvo::platform::addLinkMessages(std::span(data, size), 1, reading);
    std::vector<std::uint32_t> counted{2}; // eth0 on many machines
    for (const auto& link : reading) {
        counted.push_back(link.index);
    }
    tarvo::platform::addStatsMessages(std::span(data, size), 1, counted, reading);
    return 0;
}
