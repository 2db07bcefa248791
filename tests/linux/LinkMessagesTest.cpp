#include "platform/linux/LinkMessages.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <string>
#include <vector>

namespace tarvo::platform {
namespace {

constexpr std::uint32_t sequence = 7;

// What a link message carries beyond its index, name, flags and counters.
struct LinkExtras {
    const char* kind = nullptr; // IFLA_INFO_KIND inside IFLA_LINKINFO
    bool hasLowerLinkElsewhere = false;
    std::uint32_t seq = sequence;
    bool withStatistics = true;
};

// Builds datagrams the way the kernel lays out an RTM_GETLINK dump.
class Dump {
public:
    Dump& link(int index, const std::string& name, unsigned flags, std::uint64_t rx,
               std::uint64_t tx, LinkExtras extras = {}) {
        const std::size_t start = begin(RTM_NEWLINK, extras.seq);
        ifinfomsg info{};
        info.ifi_family = AF_UNSPEC;
        info.ifi_index = index;
        info.ifi_flags = flags;
        append(&info, sizeof info);
        attribute(IFLA_IFNAME, name.c_str(), name.size() + 1);
        if (extras.withStatistics) {
            rtnl_link_stats64 statistics{};
            statistics.rx_bytes = rx;
            statistics.tx_bytes = tx;
            attribute(IFLA_STATS64, &statistics, sizeof statistics);
        }
        if (extras.hasLowerLinkElsewhere) {
            const std::int32_t namespaceId = 0;
            attribute(IFLA_LINK_NETNSID, &namespaceId, sizeof namespaceId);
        }
        if (extras.kind != nullptr) {
            Dump nested;
            nested.attribute(IFLA_INFO_KIND, extras.kind, std::strlen(extras.kind) + 1);
            attribute(IFLA_LINKINFO, nested.bytes.data(), nested.bytes.size());
        }
        finish(start);
        return *this;
    }

    Dump& statistics(int index, std::uint64_t rx, std::uint64_t tx, std::uint32_t seq = sequence) {
        const std::size_t start = begin(RTM_NEWSTATS, seq);
        if_stats_msg header{};
        header.ifindex = static_cast<std::uint32_t>(index);
        header.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
        append(&header, sizeof header);
        rtnl_link_stats64 statistics{};
        statistics.rx_bytes = rx;
        statistics.tx_bytes = tx;
        attribute(IFLA_STATS_LINK_64, &statistics, sizeof statistics);
        finish(start);
        return *this;
    }

    // A message with an nlmsgerr-sized payload that starts with `result`.
    Dump& message(std::uint16_t type, std::uint16_t flags = 0, int result = 0) {
        const std::size_t start = begin(type, sequence);
        header(start).nlmsg_flags |= flags;
        nlmsgerr payload{};
        payload.error = result;
        append(&payload, sizeof payload);
        finish(start);
        return *this;
    }

    std::vector<std::uint8_t> bytes;

private:
    std::size_t begin(std::uint16_t type, std::uint32_t seq) {
        const std::size_t start = bytes.size();
        nlmsghdr h{};
        h.nlmsg_type = type;
        h.nlmsg_flags = NLM_F_MULTI;
        h.nlmsg_seq = seq;
        append(&h, sizeof h);
        return start;
    }
    nlmsghdr& header(std::size_t start) {
        return *reinterpret_cast<nlmsghdr*>(bytes.data() + start);
    }
    void finish(std::size_t start) {
        header(start).nlmsg_len = static_cast<std::uint32_t>(bytes.size() - start);
        bytes.resize(NLMSG_ALIGN(bytes.size()));
    }
    void attribute(std::uint16_t type, const void* data, std::size_t size) {
        rtattr a{};
        a.rta_type = type;
        a.rta_len = static_cast<unsigned short>(RTA_LENGTH(size));
        append(&a, sizeof a);
        append(data, size);
        bytes.resize(NLMSG_ALIGN(bytes.size()));
    }
    void append(const void* data, std::size_t size) {
        const auto* first = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), first, first + size);
    }
};

// "index:received/sent " for each interface of a reading.
std::string shown(const std::vector<InterfaceCounters>& reading) {
    std::string text;
    for (const InterfaceCounters& c : reading) {
        text += std::to_string(c.index) + ":" + std::to_string(c.received) + "/" +
                std::to_string(c.sent) + " ";
    }
    return text;
}

TEST(LinkMessages, CountsUpTrafficLinksOfTheirOwnAcrossDatagramsUntilDone) {
    std::vector<InterfaceCounters> reading;
    Dump first;
    first.link(1, "lo", IFF_UP | IFF_LOOPBACK, 1000, 1000)
        .link(2, "eth0", IFF_UP, 0x1'0000'0010u, 1)
        .link(3, "wlan0", IFF_UP, 20, 2)
        .link(4, "docker0", IFF_UP, 500, 500)
        .link(5, "eth1", 0, 700, 700)                               // down
        .link(6, "enp1s0", IFF_UP, 900, 900, {.seq = sequence - 1}) // an older dump's leftover
        .link(7, "ww0", IFF_UP, 900, 900, {.withStatistics = false})
        // Stacked on eth0, whose bytes they are.
        .link(9, "eth0.100", IFF_UP, 50, 5, {.kind = "vlan"})
        .link(10, "eth0m", IFF_UP, 50, 5, {.kind = "macvlan"})
        // Stacked on a link of another namespace, as in a container: the only path here.
        .link(11, "eth2", IFF_UP, 30, 3, {.kind = "macvlan", .hasLowerLinkElsewhere = true})
        .link(12, "wwan0", IFF_UP, 5, 0, {.kind = "veth", .hasLowerLinkElsewhere = true});
    EXPECT_EQ(addLinkMessages(first.bytes, sequence, reading), LinkDumpProgress::more);
    Dump last;
    last.link(8, "enp3s0", IFF_UP, 40, 4).message(NLMSG_DONE);
    EXPECT_EQ(addLinkMessages(last.bytes, sequence, reading), LinkDumpProgress::done);
    EXPECT_EQ(shown(reading), "2:4294967312/1 3:20/2 11:30/3 12:5/0 8:40/4 ");
}

TEST(LinkMessages, StatisticsOfCountedInterfacesAtFullWidth) {
    const std::vector<std::uint32_t> counted{2, 8};
    Dump dump;
    dump.statistics(1, 1000, 1000)
        .statistics(2, 0x1'0000'0010u, 0x2'0000'0001u)
        .statistics(8, 30, 3, sequence - 1) // an older dump's leftover
        .statistics(8, 40, 4)
        .message(NLMSG_DONE);
    std::vector<InterfaceCounters> reading;
    EXPECT_EQ(addStatsMessages(dump.bytes, sequence, counted, reading), LinkDumpProgress::done);
    EXPECT_EQ(shown(reading), "2:4294967312/8589934593 8:40/4 ");

    auto cut = Dump().statistics(2, 1, 1).bytes;
    cut.resize(cut.size() - 8);
    EXPECT_EQ(addStatsMessages(cut, sequence, counted, reading), LinkDumpProgress::failed);
}

// Errors, interrupted dumps and lengths that overrun fail the whole reading.
TEST(LinkMessages, FaultyDatagramsFailTheReading) {
    const std::vector<std::uint8_t> link = Dump().link(2, "eth0", IFF_UP, 10, 1).bytes;
    auto longMessage = link;
    reinterpret_cast<nlmsghdr*>(longMessage.data())->nlmsg_len += 4;
    auto longAttribute = link;
    const std::size_t firstAttribute = NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(ifinfomsg));
    reinterpret_cast<rtattr*>(longAttribute.data() + firstAttribute)->rta_len = 0xFFFF;
    auto cut = link;
    cut.resize(cut.size() - 3);
    for (const auto& datagram :
         {Dump().message(NLMSG_ERROR).bytes, Dump().message(NLMSG_DONE, NLM_F_DUMP_INTR).bytes,
          Dump().message(NLMSG_DONE, 0, -ENOBUFS).bytes, longMessage, longAttribute, cut}) {
        std::vector<InterfaceCounters> reading;
        EXPECT_EQ(addLinkMessages(datagram, sequence, reading), LinkDumpProgress::failed);
        EXPECT_TRUE(reading.empty());
    }
}

// The first reading dumps the links, the later ones only their statistics: both must agree.
TEST(LinkMessages, ThisMachineAnswersTheSameByBothDumps) {
    std::vector<InterfaceCounters> first;
    std::vector<InterfaceCounters> later;
    ASSERT_TRUE(readInterfaceCounters(first));
    for (int reading = 0; reading < 3; ++reading) {
        ASSERT_TRUE(readInterfaceCounters(later));
        ASSERT_EQ(later.size(), first.size());
        for (std::size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(later[i].index, first[i].index);
            EXPECT_LT(later[i].received - first[i].received, 100'000'000u) << "not another link";
        }
    }
}

} // namespace
} // namespace tarvo::platform
