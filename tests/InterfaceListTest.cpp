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

namespace tarvo::platform {
namespace {

constexpr int ipv4 = AF_INET;
constexpr unsigned up = IFF_UP;

// Builds a getifaddrs-shaped list whose statistics records follow a given layout.
class InterfaceListBuilder {
public:
    explicit InterfaceListBuilder(const LinkLayout& layout) : layout(layout) {}

    InterfaceListBuilder& add(const char* name, unsigned flags, int family, std::uint32_t received,
                              std::uint32_t sent, bool hasData = true, bool hasAddress = true) {
        Entry& entry = entries.emplace_back();
        entry.name = name;
        entry.address.sa_family = static_cast<sa_family_t>(family);
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

    InterfaceTotals sum() const {
        return sumInterfaceList(entries.empty() ? nullptr : &entries.front().node, layout);
    }

private:
    struct Entry {
        std::string name;
        sockaddr address{};
        std::array<unsigned char, 96> data{};
        ifaddrs node{};
    };
    const LinkLayout& layout;
    std::deque<Entry> entries; // stable addresses for the ifa_next chain
};

void expectTotals(const InterfaceTotals& totals, std::uint64_t down, std::uint64_t upBytes) {
    EXPECT_EQ(totals.down, down);
    EXPECT_EQ(totals.up, upBytes);
}

TEST(InterfaceList, DarwinCountsOnlyUpLinkEntriesOfTrafficInterfaces) {
    const int link = darwinLinkLayout.linkFamily;
    InterfaceListBuilder list(darwinLinkLayout);
    list.add("lo0", up | IFF_LOOPBACK, link, 1000000, 1000000)
        .add("en0", up, ipv4, 7, 7) // an address entry of a counted interface adds nothing
        .add("en0", up, link, 100, 10)
        .add("en1", 0, link, 5000, 5000) // down
        .add("pdp_ip0", up, link, 200, 20)
        .add("utun3", up, link, 3000, 3000)
        .add("awdl0", up, link, 3000, 3000)
        .add("bridge0", up, link, 3000, 3000)
        .add("eth0", up, link, 3000, 3000) // a Linux name means nothing here
        .add("en7", up, link, 1, 2, /*hasData=*/false)
        .add("en8", up, link, 1, 2, true, /*hasAddress=*/false)
        .add("EN9", up, link, 1, 2); // prefixes are case-sensitive
    expectTotals(list.sum(), 300, 30);
}

TEST(InterfaceList, LinuxNamesAndPacketEntries) {
    const int link = linuxLinkLayout.linkFamily;
    InterfaceListBuilder list(linuxLinkLayout);
    list.add("lo", up | IFF_LOOPBACK, link, 1000, 1000)
        .add("eth0", up, link, 1, 10)
        .add("enp3s0", up, link, 2, 20)
        .add("wlan0", up, link, 4, 40)
        .add("wwan0", up, link, 8, 80)
        .add("docker0", up, link, 3000, 3000)
        .add("veth12", up, link, 3000, 3000)
        .add("eth1", up, darwinLinkLayout.linkFamily, 3000, 3000);
    expectTotals(list.sum(), 15, 150);
}

TEST(InterfaceList, CountersAreWidenedSoTheirSumDoesNotWrap) {
    const int link = darwinLinkLayout.linkFamily;
    InterfaceListBuilder list(darwinLinkLayout);
    list.add("en0", up, link, 0xFFFFFFFFu, 0xFFFFFFFFu).add("en1", up, link, 2, 3);
    expectTotals(list.sum(), 0x100000001u, 0x100000002u);
}

TEST(InterfaceList, EmptyListSumsToZero) {
    expectTotals(InterfaceListBuilder(darwinLinkLayout).sum(), 0, 0);
}

} // namespace
} // namespace tarvo::platform
