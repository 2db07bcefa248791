#include "platform/posix/InterfaceList.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <string>
#include <vector>

namespace tarvo::platform {
namespace {

constexpr unsigned up = IFF_UP;
constexpr int link = darwinLinkLayout.linkFamily;

struct Entry {
    const char* name;
    unsigned flags;
    int family;
    std::uint16_t index;
    std::uint32_t received, sent;
    bool hasData = true, hasAddress = true;
};

// "index name:received/sent " for each counted interface of a getifaddrs-shaped list of these
// entries, their addresses and statistics laid out as on darwin.
std::string counted(const std::vector<Entry>& entries) {
    std::vector<sockaddr> addresses(entries.size());
    std::vector<std::array<unsigned char, 96>> data(entries.size());
    std::vector<ifaddrs> nodes(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        addresses[i].sa_family = static_cast<sa_family_t>(entry.family);
        std::memcpy(reinterpret_cast<unsigned char*>(&addresses[i]) + darwinLinkLayout.indexOffset,
                    &entry.index, sizeof entry.index);
        std::memcpy(&data[i][darwinLinkLayout.receivedOffset], &entry.received, 4);
        std::memcpy(&data[i][darwinLinkLayout.sentOffset], &entry.sent, 4);
        nodes[i].ifa_next = i + 1 < nodes.size() ? &nodes[i + 1] : nullptr;
        nodes[i].ifa_name = const_cast<char*>(entry.name);
        nodes[i].ifa_flags = entry.flags;
        nodes[i].ifa_addr = entry.hasAddress ? &addresses[i] : nullptr;
        nodes[i].ifa_data = entry.hasData ? data[i].data() : nullptr;
    }
    std::vector<InterfaceCounters> reading(1); // replaced, not added to
    readInterfaceList(nodes.data(), darwinLinkLayout, reading);
    std::string shown;
    for (const InterfaceCounters& c : reading) {
        shown += std::to_string(c.index) + " " + c.name.data() + ":" + std::to_string(c.received) +
                 "/" + std::to_string(c.sent) + " ";
    }
    return shown;
}

TEST(InterfaceList, DarwinCountsOnlyUpLinkEntriesOfTrafficInterfaces) {
    EXPECT_EQ(counted({{"lo0", up | IFF_LOOPBACK, link, 1, 1000000, 1000000},
                       {"en0", up, AF_INET, 0, 7, 7}, // an address entry of a counted interface
                       {"en0", up, link, 4, 100, 10},
                       {"en1", 0, link, 5, 5000, 5000}, // down
                       {"pdp_ip0", up, link, 300, 0xFFFFFFFFu, 20},
                       {"utun3", up, link, 6, 3000, 3000},
                       {"awdl0", up, link, 7, 3000, 3000},
                       {"vmenet0", up, link, 8, 3000, 3000},
                       {"eth0", up, link, 9, 3000, 3000}, // a Linux name means nothing here
                       {"en7", up, link, 10, 1, 2, /*hasData=*/false},
                       {"en8", up, link, 11, 1, 2, true, /*hasAddress=*/false},
                       {"EN9", up, link, 12, 1, 2}}), // prefixes are case-sensitive
              "4 en0:100/10 300 pdp_ip0:4294967295/20 ");
}

} // namespace
} // namespace tarvo::platform
