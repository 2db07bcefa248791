#include "platform/macos/InterfaceMessages.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Any bytes, read as a Mac's interface list.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<tarvo::platform::InterfaceCounters> reading;
    tarvo::platform::readInterfaceMessages(std::span(data, size), reading);
    return 0;
}
