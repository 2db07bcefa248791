#include "platform/posix/InterfaceList.h"

#include <cstdint>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

namespace tarvo::platform {
namespace {

bool hasTrafficPrefix(std::string_view name, const LinkLayout& layout) {
    for (std::string_view prefix : layout.namePrefixes) {
        if (!prefix.empty() && name.starts_with(prefix)) {
            return true;
        }
    }
    return false;
}

// ifa_data gives no alignment promise: copy the counter out instead of casting.
std::uint64_t counterAt(const void* data, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, static_cast<const unsigned char*>(data) + offset, sizeof value);
    return value;
}

} // namespace

bool countsInterface(const ifaddrs& entry, const LinkLayout& layout) {
    return (entry.ifa_flags & IFF_UP) != 0 && (entry.ifa_flags & IFF_LOOPBACK) == 0 &&
           entry.ifa_name != nullptr && hasTrafficPrefix(entry.ifa_name, layout) &&
           entry.ifa_addr != nullptr && entry.ifa_addr->sa_family == layout.linkFamily &&
           entry.ifa_data != nullptr;
}

void addInterface(const ifaddrs& entry, const LinkLayout& layout, InterfaceTotals& totals) {
    if (countsInterface(entry, layout)) {
        totals.down += counterAt(entry.ifa_data, layout.receivedOffset);
        totals.up += counterAt(entry.ifa_data, layout.sentOffset);
    }
}

InterfaceTotals sumInterfaceList(const ifaddrs* list, const LinkLayout& layout) {
    InterfaceTotals totals;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        addInterface(*entry, layout, totals);
    }
    return totals;
}

std::optional<InterfaceTotals> readInterfaceList(const LinkLayout& layout) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return std::nullopt;
    }
    if (list == nullptr) {
        return InterfaceTotals{};
    }
    const InterfaceTotals totals = sumInterfaceList(list, layout);
    freeifaddrs(list);
    return totals;
}

} // namespace tarvo::platform
