#pragma once

#include "platform/posix/InterfaceList.h"

#include <array>
#include <cstring>
#include <ifaddrs.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace tarvo::platform {

struct InterfaceEntry {
    std::string name;
    unsigned flags = 0;
    int family = 0;
    std::uint16_t index = 0;
    std::uint32_t received = 0, sent = 0;
    bool hasData = true, hasAddress = true;
};

// The interfaces counted in a getifaddrs-shaped list of these entries, their addresses and
// statistics laid out as on darwin. (A Mac's ifaddrs orders its fields otherwise: set one by one.)
inline std::vector<InterfaceCounters> readDarwinList(const std::vector<InterfaceEntry>& entries) {
    std::vector<sockaddr> addresses(entries.size());
    std::vector<std::array<unsigned char, 96>> data(entries.size()); // room for an if_data record
    std::vector<ifaddrs> nodes(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const InterfaceEntry& entry = entries[i];
        addresses[i].sa_family = static_cast<sa_family_t>(entry.family);
        std::memcpy(reinterpret_cast<unsigned char*>(&addresses[i]) + darwinLinkLayout.indexOffset,
                    &entry.index, sizeof entry.index);
        std::memcpy(&data[i][darwinLinkLayout.receivedOffset], &entry.received, 4);
        std::memcpy(&data[i][darwinLinkLayout.sentOffset], &entry.sent, 4);
        nodes[i].ifa_next = i + 1 < nodes.size() ? &nodes[i + 1] : nullptr;
        nodes[i].ifa_name = const_cast<char*>(entry.name.c_str());
        nodes[i].ifa_flags = entry.flags;
        nodes[i].ifa_addr = entry.hasAddress ? &addresses[i] : nullptr;
        nodes[i].ifa_data = entry.hasData ? data[i].data() : nullptr;
    }
    std::vector<InterfaceCounters> reading(1); // replaced, not added to
    readInterfaceList(nodes.empty() ? nullptr : nodes.data(), darwinLinkLayout, reading);
    return reading;
}

} // namespace tarvo::platform
