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
    Dump& link(const std::string& name, unsigned flags, std::uint32_t rx, std::uint32_t tx,
               std::uint32_t seq = sequence, bool withStatistics = true) {
        const std::size_t start = begin(RTM_NEWLINK, seq);
        ifinfomsg info{};
        info.ifi_family = AF_UNSPEC;
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
    return addLinkMessages(dump.bytes, sequence, totals);
}

TEST(LinkMessages, CountsUpTrafficInterfacesAcrossDatagramsUntilDone) {
    InterfaceTotals totals;
    Dump first;
    first.link("lo", IFF_UP | IFF_LOOPBACK, 1000, 1000)
        .link("eth0", IFF_UP, 10, 1)
        .link("wlan0", IFF_UP, 20, 2)
        .link("docker0", IFF_UP, 500, 500)
        .link("eth1", 0, 700, 700)                       // down
        .link("enp1s0", IFF_UP, 900, 900, 6)             // an older dump's leftover
        .link("ww0", IFF_UP, 900, 900, sequence, false); // no statistics
    EXPECT_EQ(add(first, totals), LinkDumpProgress::more);
    Dump last;
    last.link("enp3s0", IFF_UP, 40, 4).message(NLMSG_DONE);
    EXPECT_EQ(add(last, totals), LinkDumpProgress::done);
    EXPECT_EQ(totals.down, 70u);
    EXPECT_EQ(totals.up, 7u);
}

TEST(LinkMessages, ErrorsAndInterruptedDumpsFailTheReading) {
    InterfaceTotals totals;
    EXPECT_EQ(add(Dump().message(NLMSG_ERROR), totals), LinkDumpProgress::failed);
    EXPECT_EQ(add(Dump().message(NLMSG_DONE, NLM_F_DUMP_INTR), totals), LinkDumpProgress::failed);
}

TEST(LinkMessages, MalformedLengthsFailInsteadOfOverrunning) {
    Dump dump;
    dump.link("eth0", IFF_UP, 10, 1);
    InterfaceTotals totals;

    auto longMessage = dump.bytes;
    reinterpret_cast<nlmsghdr*>(longMessage.data())->nlmsg_len += 4;
    EXPECT_EQ(addLinkMessages(longMessage, sequence, totals), LinkDumpProgress::failed);

    auto longAttribute = dump.bytes;
    const std::size_t firstAttribute = NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(ifinfomsg));
    reinterpret_cast<rtattr*>(longAttribute.data() + firstAttribute)->rta_len = 0xFFFF;
    EXPECT_EQ(addLinkMessages(longAttribute, sequence, totals), LinkDumpProgress::failed);

    auto cut = dump.bytes;
    cut.resize(cut.size() - 3);
    EXPECT_EQ(addLinkMessages(cut, sequence, totals), LinkDumpProgress::failed);
    EXPECT_EQ(totals.down, 0u);
}

TEST(LinkMessages, ThisMachineAnswers) {
    const auto totals = readInterfaceTotals();
    ASSERT_TRUE(totals.has_value());
    const auto again = readInterfaceTotals();
    ASSERT_TRUE(again.has_value());
    EXPECT_GE(again->down, totals->down);
}

} // namespace
} // namespace tarvo::platform
