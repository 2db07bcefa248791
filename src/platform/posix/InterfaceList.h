#pragma once

#include "platform/InterfaceCounters.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

struct ifaddrs;

namespace tarvo::platform {

// Where one system keeps an interface's identity and link-level byte counters in the
// interface list.
struct LinkLayout {
    int linkFamily;             // address family of the one link-level entry per interface
    std::size_t indexOffset;    // 16-bit interface index within that entry's address
    std::size_t receivedOffset; // 32-bit received-byte counter within ifa_data
    std::size_t sentOffset;     // 32-bit sent-byte counter within ifa_data
    std::array<std::string_view, 2> namePrefixes;
};

// AF_LINK entries: a sockaddr_dl (sdl_index) carrying struct if_data (ifi_ibytes, ifi_obytes).
inline constexpr LinkLayout darwinLinkLayout{18, 2, 40, 44, {"en", "pdp_ip"}};

// Whether an interface carries the machine's traffic: up, not loopback, and named with one of
// the prefixes.
bool isTrafficInterface(unsigned flags, std::string_view name,
                        std::span<const std::string_view> namePrefixes);

// Whether one entry of the list is the counted link-level entry of a traffic interface.
bool countsInterface(const ifaddrs& entry, const LinkLayout& layout);

// The counters of the counted entries of a getifaddrs list, in place of the reading's contents.
void readInterfaceList(const ifaddrs* list, const LinkLayout& layout,
                       std::vector<InterfaceCounters>& reading);

// getifaddrs, read, freeifaddrs: false when the list cannot be read.
bool readInterfaceList(const LinkLayout& layout, std::vector<InterfaceCounters>& reading);

} // namespace tarvo::platform
