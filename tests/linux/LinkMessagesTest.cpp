#include "platform/linux/LinkMessages.h"

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

// Builds datagrams the way the kernel lays out an RTM_GETLINK dump.
class Dump {
public:
    Dump& link(int index, const std::string& name, unsigned flags, std::uint32_t rx,
               std::uint32_t tx, std::uint32_t seq = sequence, bool withStatistics = true) {
        const std::size_t start = begin(RTM_NEWLINK, seq);
        ifinfomsg info{};
        info.ifi_family = AF_UNSPEC;
        info.ifi_index = index;
        info.ifi_flags = flags;
        append(&info, sizeof info);
        attribute(IFLA_IFNAME, name.c_str(), name.size() + 1);
        if (withStatistics) {
            rtnl_link_stats statistics{};
            statistics.rx_bytes = rx;
            statistics.tx_bytes = tx;
            attribute(IFLA_STATS, &statistics, sizeof statistics);
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

    Dump& message(std::uint16_t type, std::uint16_t flags = 0) {
        const std::size_t start = begin(type, sequence);
        header(start).nlmsg_flags |= flags;
        append(std::vector<std::uint8_t>(sizeof(nlmsgerr)).data(), sizeof(nlmsgerr));
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

LinkDumpProgress add(const Dump& dump, InterfaceTotals& totals) {
    std::vector<int> counted;
    return addLinkMessages(dump.bytes, sequence, totals, counted);
}

TEST(LinkMessages, CountsUpTrafficInterfacesAcrossDatagramsUntilDone) {
    InterfaceTotals totals;
    std::vector<int> counted;
    Dump first;
    first.link(1, "lo", IFF_UP | IFF_LOOPBACK, 1000, 1000)
        .link(2, "eth0", IFF_UP, 10, 1)
        .link(3, "wlan0", IFF_UP, 20, 2)
        .link(4, "docker0", IFF_UP, 500, 500)
        .link(5, "eth1", 0, 700, 700)                       // down
        .link(6, "enp1s0", IFF_UP, 900, 900, sequence - 1)  // an older dump's leftover
        .link(7, "ww0", IFF_UP, 900, 900, sequence, false); // no statistics
    EXPECT_EQ(addLinkMessages(first.bytes, sequence, totals, counted), LinkDumpProgress::more);
    Dump last;
    last.link(8, "enp3s0", IFF_UP, 40, 4).message(NLMSG_DONE);
    EXPECT_EQ(addLinkMessages(last.bytes, sequence, totals, counted), LinkDumpProgress::done);
    EXPECT_EQ(totals.down, 70u);
    EXPECT_EQ(totals.up, 7u);
    EXPECT_EQ(counted, (std::vector<int>{2, 3, 8}));
}

TEST(LinkMessages, StatisticsAddOnlyCountedInterfacesCutTo32Bits) {
    const std::vector<int> counted{2, 8};
    Dump dump;
    dump.statistics(1, 1000, 1000)
        .statistics(2, 0x100000010u, 0x200000001u)
        .statistics(8, 30, 3, sequence - 1) // an older dump's leftover
        .statistics(8, 40, 4)
        .message(NLMSG_DONE);
    InterfaceTotals totals;
    EXPECT_EQ(addStatsMessages(dump.bytes, sequence, counted, totals), LinkDumpProgress::done);
    EXPECT_EQ(totals.down, 0x10u + 40u);
    EXPECT_EQ(totals.up, 1u + 4u);

    EXPECT_EQ(addStatsMessages(Dump().message(NLMSG_ERROR).bytes, sequence, counted, totals),
              LinkDumpProgress::failed);
    auto cut = Dump().statistics(2, 1, 1).bytes;
    cut.resize(cut.size() - 8);
    EXPECT_EQ(addStatsMessages(cut, sequence, counted, totals), LinkDumpProgress::failed);
}

TEST(LinkMessages, ErrorsAndInterruptedDumpsFailTheReading) {
    InterfaceTotals totals;
    EXPECT_EQ(add(Dump().message(NLMSG_ERROR), totals), LinkDumpProgress::failed);
    EXPECT_EQ(add(Dump().message(NLMSG_DONE, NLM_F_DUMP_INTR), totals), LinkDumpProgress::failed);
}

TEST(LinkMessages, MalformedLengthsFailInsteadOfOverrunning) {
    Dump dump;
    dump.link(2, "eth0", IFF_UP, 10, 1);
    InterfaceTotals totals;
    std::vector<int> counted;

    auto longMessage = dump.bytes;
    reinterpret_cast<nlmsghdr*>(longMessage.data())->nlmsg_len += 4;
    EXPECT_EQ(addLinkMessages(longMessage, sequence, totals, counted), LinkDumpProgress::failed);

    auto longAttribute = dump.bytes;
    const std::size_t firstAttribute = NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(ifinfomsg));
    reinterpret_cast<rtattr*>(longAttribute.data() + firstAttribute)->rta_len = 0xFFFF;
    EXPECT_EQ(addLinkMessages(longAttribute, sequence, totals, counted), LinkDumpProgress::failed);

    auto cut = dump.bytes;
    cut.resize(cut.size() - 3);
    EXPECT_EQ(addLinkMessages(cut, sequence, totals, counted), LinkDumpProgress::failed);
    EXPECT_EQ(totals.down, 0u);
}

// The first reading dumps the links, the later ones only their statistics: both must agree.
TEST(LinkMessages, ThisMachineAnswersTheSameByBothDumps) {
    const auto first = readInterfaceTotals();
    ASSERT_TRUE(first.has_value());
    for (int reading = 0; reading < 3; ++reading) {
        const auto later = readInterfaceTotals();
        ASSERT_TRUE(later.has_value());
        EXPECT_GE(later->down, first->down);
        EXPECT_LT(later->down - first->down, 100'000'000u) << "not a different set of links";
    }
}

} // namespace
} // namespace tarvo::platform
