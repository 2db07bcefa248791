#include "platform/posix/InterfaceList.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

namespace tarvo::platform {
namespace {

// Neither ifa_addr nor ifa_data gives an alignment promise: copy a field out instead of casting.
template <typename T>
T fieldAt(const void* record, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}

InterfaceCounters countersOf(const ifaddrs& entry, const LinkLayout& layout) {
    InterfaceCounters counters;
    counters.index = fieldAt<std::uint16_t>(entry.ifa_addr, layout.indexOffset);
    const std::string_view name(entry.ifa_name);
    std::copy_n(name.begin(), std::min(name.size(), counters.name.size()), counters.name.begin());
    counters.received = fieldAt<std::uint32_t>(entry.ifa_data, layout.receivedOffset);
    counters.sent = fieldAt<std::uint32_t>(entry.ifa_data, layout.sentOffset);
    return counters;
}

} // namespace

bool isTrafficInterface(unsigned flags, std::string_view name,
                        std::span<const std::string_view> namePrefixes) {
    return (flags & IFF_UP) != 0 && (flags & IFF_LOOPBACK) == 0 &&
           std::any_of(namePrefixes.begin(), namePrefixes.end(),
                       [&](std::string_view prefix) { return name.starts_with(prefix); });
}

bool countsInterface(const ifaddrs& entry, const LinkLayout& layout) {
    return entry.ifa_name != nullptr &&
           isTrafficInterface(entry.ifa_flags, entry.ifa_name, layout.namePrefixes) &&
           entry.ifa_addr != nullptr && entry.ifa_addr->sa_family == layout.linkFamily &&
           entry.ifa_data != nullptr;
}

void readInterfaceList(const ifaddrs* list, const LinkLayout& layout,
                       std::vector<InterfaceCounters>& reading) {
    reading.clear();
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (countsInterface(*entry, layout)) {
            reading.push_back(countersOf(*entry, layout));
        }
    }
}

bool readInterfaceList(const LinkLayout& layout, std::vector<InterfaceCounters>& reading) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return false;
    }
    readInterfaceList(list, layout, reading);
    if (list != nullptr) {
        freeifaddrs(list);
    }
    return true;
}

} // namespace tarvo::platform
