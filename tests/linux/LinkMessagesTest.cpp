#include "platform/linux/LinkMessages.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <string>
#include <vector>

namespace tarvo::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t sequence = 7;

// The parts, each padded to the netlink alignment, one after the other.
Bytes join(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes& part : parts) {
        bytes.insert(bytes.end(), part.begin(), part.end());
        bytes.resize(NLMSG_ALIGN(bytes.size()));
    }
    return bytes;
}

template <typename T>
Bytes bytesOf(const T& value) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(&value);
    return Bytes(first, first + sizeof value);
}

Bytes attribute(std::uint16_t type, const Bytes& payload) {
    return join(
        {bytesOf(rtattr{static_cast<unsigned short>(RTA_LENGTH(payload.size())), type}), payload});
}

// A message of the dump `seq`; the kernel lays out a DONE's or an ERROR's payload as a nlmsgerr.
Bytes message(std::uint16_t type, const Bytes& body, std::uint32_t seq = sequence,
              std::uint16_t flags = NLM_F_MULTI) {
    const auto length = static_cast<std::uint32_t>(NLMSG_HDRLEN + body.size());
    return join({bytesOf(nlmsghdr{length, type, flags, seq, 0}), body});
}
Bytes ending(std::uint16_t type, std::uint16_t flags = NLM_F_MULTI, int result = 0) {
    return message(type, bytesOf(nlmsgerr{result, {}}), sequence, flags);
}

Bytes counters(std::uint64_t received, std::uint64_t sent) {
    rtnl_link_stats64 statistics{};
    statistics.rx_bytes = received;
    statistics.tx_bytes = sent;
    return bytesOf(statistics);
}

// What a link message carries beyond its index, name, flags and counters.
struct LinkExtras {
    const char* kind = nullptr; // IFLA_INFO_KIND inside IFLA_LINKINFO
    bool hasLowerLinkElsewhere = false;
    std::uint32_t seq = sequence;
    bool withStatistics = true;
};

Bytes text(std::string_view characters) { // with its terminating zero
    return Bytes(characters.data(), characters.data() + characters.size() + 1);
}

Bytes link(int index, std::string_view name, unsigned flags, std::uint64_t received,
           std::uint64_t sent, LinkExtras extras = {}) {
    return message(
        RTM_NEWLINK,
        join({bytesOf(ifinfomsg{0, 0, 0, index, flags, 0}), attribute(IFLA_IFNAME, text(name)),
              extras.withStatistics ? attribute(IFLA_STATS64, counters(received, sent)) : Bytes{},
              extras.hasLowerLinkElsewhere ? attribute(IFLA_LINK_NETNSID, bytesOf(0)) : Bytes{},
              extras.kind ? attribute(IFLA_LINKINFO, attribute(IFLA_INFO_KIND, text(extras.kind)))
                          : Bytes{}}),
        extras.seq);
}

Bytes statistics(std::uint32_t index, std::uint64_t received, std::uint64_t sent,
                 std::uint32_t seq = sequence) {
    return message(RTM_NEWSTATS,
                   join({bytesOf(if_stats_msg{0, 0, 0, index, 0}),
                         attribute(IFLA_STATS_LINK_64, counters(received, sent))}),
                   seq);
}

// "index:received/sent " for each interface of a reading.
std::string shown(const std::vector<InterfaceCounters>& reading) {
    std::string text;
    for (const InterfaceCounters& c : reading) {
        text += std::to_string(c.index) + ":" + std::to_string(c.received) + "/" +
                std::to_string(c.sent) + " ";
    }
    return text;
}

// The link dump chooses the interfaces, over as many datagrams as it takes; the statistics dump
// then reads just theirs.
TEST(LinkMessages, CountUpTrafficLinksOfTheirOwnAtFullWidth) {
    std::vector<InterfaceCounters> links;
    const Bytes first = join(
        {link(1, "lo", IFF_UP | IFF_LOOPBACK, 1000, 1000),
         link(2, "eth0", IFF_UP, 0x1'0000'0010u, 1), link(3, "wlan0", IFF_UP, 20, 2),
         link(4, "docker0", IFF_UP, 500, 500), link(5, "eth1", 0, 700, 700), // down
         link(6, "enp1s0", IFF_UP, 900, 900, {.seq = sequence - 1}), // an older dump's leftover
         link(7, "ww0", IFF_UP, 900, 900, {.withStatistics = false}),
         // Stacked on eth0, whose bytes they are.
         link(9, "eth0.100", IFF_UP, 50, 5, {.kind = "vlan"}),
         link(10, "eth0m", IFF_UP, 50, 5, {.kind = "macvlan"}),
         // Stacked on a link of another namespace, as in a container: the only path here.
         link(11, "eth2", IFF_UP, 30, 3, {.kind = "macvlan", .hasLowerLinkElsewhere = true}),
         link(12, "wwan0", IFF_UP, 5, 0, {.kind = "veth", .hasLowerLinkElsewhere = true})});
    EXPECT_EQ(addLinkMessages(first, sequence, links), LinkDumpProgress::more);
    const Bytes last = join({link(8, "enp3s0", IFF_UP, 40, 4), ending(NLMSG_DONE)});
    EXPECT_EQ(addLinkMessages(last, sequence, links), LinkDumpProgress::done);
    EXPECT_EQ(shown(links), "2:4294967312/1 3:20/2 11:30/3 12:5/0 8:40/4 ");

    const std::vector<std::uint32_t> counted{2, 8};
    const Bytes dump =
        join({statistics(1, 1000, 1000), statistics(2, 0x1'0000'0010u, 0x2'0000'0001u),
              statistics(8, 30, 3, sequence - 1), statistics(8, 40, 4), ending(NLMSG_DONE)});
    std::vector<InterfaceCounters> reading;
    EXPECT_EQ(addStatsMessages(dump, sequence, counted, reading), LinkDumpProgress::done);
    EXPECT_EQ(shown(reading), "2:4294967312/8589934593 8:40/4 ");
}

// Errors, interrupted dumps and lengths that overrun fail the whole reading.
TEST(LinkMessages, FaultyDatagramsFailTheReading) {
    const Bytes eth0 = link(2, "eth0", IFF_UP, 10, 1);
    Bytes longMessage = eth0;
    longMessage[0] += 4; // nlmsg_len, little-endian
    Bytes longAttribute = eth0;
    longAttribute[NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(ifinfomsg)) + 1] = 0xFF; // rta_len's high byte
    Bytes cut = eth0;
    cut.resize(cut.size() - 3);
    for (const Bytes& datagram :
         {ending(NLMSG_ERROR), ending(NLMSG_DONE, NLM_F_DUMP_INTR),
          ending(NLMSG_DONE, NLM_F_MULTI, -ENOBUFS), longMessage, longAttribute, cut}) {
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
