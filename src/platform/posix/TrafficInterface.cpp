#include "platform/posix/TrafficInterface.h"

#include <algorithm>
#include <net/if.h>

namespace tarvo::platform {

bool isTrafficInterface(unsigned flags, std::string_view name,
                        std::span<const std::string_view> namePrefixes) {
    return (flags & IFF_UP) != 0 && (flags & IFF_LOOPBACK) == 0 &&
           std::any_of(namePrefixes.begin(), namePrefixes.end(),
                       [&](std::string_view prefix) { return name.starts_with(prefix); });
}

} // namespace tarvo::platform
