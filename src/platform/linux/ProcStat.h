#pragma once

#include "platform/ProcessorTicks.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tarvo::platform {

// One processor's "cpuN" line of /proc/stat, its columns summed into the four kinds.
struct ProcessorLine {
    unsigned number = 0;
    ProcessorTicks ticks;
};

// The per-processor lines of /proc/stat into `lines`, whose storage is reused; the aggregate
// "cpu" line is not a processor. False when there is no processor line or one is malformed.
bool parseProcessorLines(std::string_view text, std::vector<ProcessorLine>& lines);

// The ticks of every processor, counted per processor. Linux takes processors offline and back
// (power saving, a virtual machine's processors): an offline one loses its line, and comes back
// with its old counters. So each processor adds only what it counted between two readings that
// both had it, and one whose counters went backwards adds nothing for that interval: no processor
// coming or going shows as load. The first reading counts everything since boot.
class ProcessorTickCounter {
public:
    // The ticks counted up to this reading of /proc/stat; nothing, and nothing counted, when the
    // text holds no reading.
    std::optional<ProcessorTicks> add(std::string_view procStat);

private:
    std::vector<ProcessorLine> previous;
    std::vector<ProcessorLine> current;
    std::optional<ProcessorTicks> counted;
};

} // namespace tarvo::platform
