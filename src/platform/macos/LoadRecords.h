#pragma once

#include "platform/ProcessorTicks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvo::platform {

// One processor's record in the kernel's PROCESSOR_CPU_LOAD_INFO array.
inline constexpr std::size_t loadRecordStride = 4;
enum LoadRecordIndex : std::size_t { userIndex = 0, systemIndex = 1, idleIndex = 2, niceIndex = 3 };

// Sums the load records of the processors the kernel reported. The counters arrive typed as
// signed 32-bit integers but count upwards from zero: they are read as unsigned before widening,
// so a counter past 2^31 stays large instead of turning negative. A processor count larger than
// the array holds is trusted no further than the array.
constexpr ProcessorTicks sumLoadRecords(std::span<const std::int32_t> records,
                                        std::size_t processorCount) {
    const auto widen = [](std::int32_t counter) -> std::uint64_t {
        return static_cast<std::uint32_t>(counter);
    };
    ProcessorTicks sums;
    const std::size_t count = std::min(processorCount, records.size() / loadRecordStride);
    for (std::size_t processor = 0; processor < count; ++processor) {
        const auto record = records.subspan(processor * loadRecordStride, loadRecordStride);
        sums.user += widen(record[userIndex]);
        sums.system += widen(record[systemIndex]);
        sums.nice += widen(record[niceIndex]);
        sums.idle += widen(record[idleIndex]);
    }
    return sums;
}

} // namespace tarvo::platform
