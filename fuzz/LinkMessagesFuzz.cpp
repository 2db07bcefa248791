#include "platform/linux/LinkMessages.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Any datagram the routing socket might hand back, read as a link dump and as a statistics dump
// with sequence number 1.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarvo::platform::InterfaceTotals totals;
    std::vector<int> counted;
    tarvo::platform::addLinkMessages(std::span(data, size), 1, totals, counted);
    counted.push_back(2); // eth0 on many machines
    tarvo::platform::addStatsMessages(std::span(data, size), 1, counted, totals);
    return 0;
}
