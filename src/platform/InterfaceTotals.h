#pragma once

#include <cstdint>
#include <optional>

namespace tarvo::platform {

// Byte counters summed over the interfaces that carry the machine's traffic.
struct InterfaceTotals {
    std::uint64_t down = 0;
    std::uint64_t up = 0;
};

// One walk of the interface list; nothing when the list cannot be read.
std::optional<InterfaceTotals> readInterfaceTotals();

} // namespace tarvo::platform
