#include "platform/ProcessorTicks.h"
#include "platform/macos/LoadRecords.h"

#include <mach/mach.h>

namespace tarvo::platform {

static_assert(CPU_STATE_MAX == loadRecordStride);
static_assert(CPU_STATE_USER == userIndex && CPU_STATE_SYSTEM == systemIndex);
static_assert(CPU_STATE_IDLE == idleIndex && CPU_STATE_NICE == niceIndex);

std::optional<ProcessorTicks> readProcessorTicks() {
    // Every mach_host_self() call adds a reference to the host port's send right; asking once
    // keeps a once-a-second sampler from piling them up.
    static const host_t host = mach_host_self();

    natural_t processorCount = 0;
    processor_info_array_t records = nullptr;
    mach_msg_type_number_t recordsLength = 0;
    if (host_processor_info(host, PROCESSOR_CPU_LOAD_INFO, &processorCount, &records,
                            &recordsLength) != KERN_SUCCESS ||
        records == nullptr) {
        return std::nullopt;
    }
    const ProcessorTicks sums =
        sumLoadRecords({records, recordsLength}, static_cast<std::size_t>(processorCount));
    vm_deallocate(mach_task_self_, reinterpret_cast<vm_address_t>(records),
                  static_cast<vm_size_t>(recordsLength) * sizeof(integer_t));
    return sums;
}

} // namespace tarvo::platform
