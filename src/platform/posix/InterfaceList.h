#pragma once

#include "platform/InterfaceTotals.h"

#include <array>
#include <cstddef>
#include <string_view>

struct ifaddrs;

namespace tarvo::platform {

// Where one system keeps an interface's link-level byte counters in the interface list.
struct LinkLayout {
    int linkFamily;             // address family of the one link-level entry per interface
    std::size_t receivedOffset; // 32-bit received-byte counter within ifa_data
    std::size_t sentOffset;     // 32-bit sent-byte counter within ifa_data
    std::array<std::string_view, 4> namePrefixes; // empty entries are unused
};

// AF_LINK entries carry struct if_data (ifi_ibytes, ifi_obytes).
inline constexpr LinkLayout darwinLinkLayout{18, 40, 44, {"en", "pdp_ip"}};
// AF_PACKET entries carry struct rtnl_link_stats (rx_bytes, tx_bytes).
inline constexpr LinkLayout linuxLinkLayout{17, 8, 12, {"en", "eth", "wl", "ww"}};

// Whether one entry of the list is the counted link-level entry of a traffic interface.
bool countsInterface(const ifaddrs& entry, const LinkLayout& layout);

// Adds the entry's 32-bit byte counters to the totals when it counts.
void addInterface(const ifaddrs& entry, const LinkLayout& layout, InterfaceTotals& totals);

// Sums the 32-bit byte counters of the counted entries of a getifaddrs list.
InterfaceTotals sumInterfaceList(const ifaddrs* list, const LinkLayout& layout);

// getifaddrs, sum, freeifaddrs: nothing when the list cannot be read.
std::optional<InterfaceTotals> readInterfaceList(const LinkLayout& layout);

} // namespace tarvo::platform
