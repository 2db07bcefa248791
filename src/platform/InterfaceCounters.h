#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tarvo::platform {

// The cumulative byte counters of one interface that carries the machine's traffic, 64 bits wide
// on every system, so that no amount of traffic wraps them. The index
// and the name together tell a re-created interface apart from the one it replaces.
struct InterfaceCounters {
    std::uint32_t index = 0;     // the kernel's interface index
    std::array<char, 16> name{}; // empty where the index alone is never reused
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
};

// One walk of the interface list: the counted interfaces replace the contents of `reading`,
// whose storage is reused. False when the list cannot be read.
bool readInterfaceCounters(std::vector<InterfaceCounters>& reading);

} // namespace tarvo::platform
