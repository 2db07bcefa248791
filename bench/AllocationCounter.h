#pragma once

#include <cstdint>

namespace tarvo::bench {

// Heap allocations made by this process so far (every operator new).
std::uint64_t allocationCount();

} // namespace tarvo::bench
