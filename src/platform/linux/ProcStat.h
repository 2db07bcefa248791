#pragma once

#include "platform/ProcessorTicks.h"

#include <optional>
#include <string_view>

namespace tarvo::platform {

// Sums the per-processor "cpuN" lines of /proc/stat. The aggregate "cpu" line is not a
// processor. Nothing when there is no processor line or one is malformed.
std::optional<ProcessorTicks> parseProcStat(std::string_view text);

} // namespace tarvo::platform
