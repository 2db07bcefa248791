#include "platform/posix/InterfaceList.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace tarvo::platform {
namespace {

constexpr int ipv4 = AF_INET;
constexpr unsigned up = IFF_UP;
constexpr int link = darwinLinkLayout.linkFamily;

// Builds a getifaddrs-shaped list whose addresses and statistics follow the darwin layout.
class InterfaceListBuilder {
public:
    InterfaceListBuilder& add(const char* name, unsigned flags, int family, std::uint16_t index,
                              std::uint32_t received, std::uint32_t sent, bool hasData = true,
                              bool hasAddress = true) {
        const LinkLayout& layout = darwinLinkLayout;
        Entry& entry = entries.emplace_back();
        entry.name = name;
        entry.address.sa_family = static_cast<sa_family_t>(family);
        std::memcpy(reinterpret_cast<unsigned char*>(&entry.address) + layout.indexOffset, &index,
                    sizeof index);
        std::memcpy(entry.data.data() + layout.receivedOffset, &received, sizeof received);
        std::memcpy(entry.data.data() + layout.sentOffset, &sent, sizeof sent);
        entry.node.ifa_name = entry.name.data();
        entry.node.ifa_flags = flags;
        entry.node.ifa_addr = hasAddress ? &entry.address : nullptr;
        entry.node.ifa_data = hasData ? entry.data.data() : nullptr;
        if (entries.size() > 1) {
            entries[entries.size() - 2].node.ifa_next = &entry.node;
        }
        return *this;
    }

    // "index name:received/sent " for each counted interface.
    std::string read() const {
        std::vector<InterfaceCounters> reading(1); // replaced, not added to
        readInterfaceList(&entries.front().node, darwinLinkLayout, reading);
        std::string shown;
        for (const InterfaceCounters& c : reading) {
            shown += std::to_string(c.index) + " " + c.name.data() + ":" +
                     std::to_string(c.received) + "/" + std::to_string(c.sent) + " ";
        }
        return shown;
    }

private:
    struct Entry {
        std::string name;
        sockaddr address{};
        std::array<unsigned char, 96> data{};
        ifaddrs node{};
    };
    std::deque<Entry> entries; // stable addresses for the ifa_next chain
};

TEST(InterfaceList, DarwinCountsOnlyUpLinkEntriesOfTrafficInterfaces) {
    InterfaceListBuilder list;
    list.add("lo0", up | IFF_LOOPBACK, link, 1, 1000000, 1000000)
        .add("en0", up, ipv4, 0, 7, 7) // an address entry of a counted interface adds nothing
        .add("en0", up, link, 4, 100, 10)
        .add("en1", 0, link, 5, 5000, 5000) // down
        .add("pdp_ip0", up, link, 300, 0xFFFFFFFFu, 20)
        .add("utun3", up, link, 6, 3000, 3000)
        .add("awdl0", up, link, 7, 3000, 3000)
        .add("bridge0", up, link, 8, 3000, 3000)
        .add("eth0", up, link, 9, 3000, 3000) // a Linux name means nothing here
        .add("en7", up, link, 10, 1, 2, /*hasData=*/false)
        .add("en8", up, link, 11, 1, 2, true, /*hasAddress=*/false)
        .add("EN9", up, link, 12, 1, 2); // prefixes are case-sensitive
    EXPECT_EQ(list.read(), "4 en0:100/10 300 pdp_ip0:4294967295/20 ");
}

} // namespace
} // namespace tarvo::platform
