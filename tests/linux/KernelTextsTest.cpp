// What the Linux substitute reads from the kernel and the environment: /proc/stat, netlink
// link and statistics dumps, the locale variables.
#include "platform/ProcessorTicks.h"
#include "platform/linux/LinkCounters.h"
#include "platform/linux/LinkMessages.h"
#include "platform/linux/LocaleTag.h"
#include "platform/linux/ProcStat.h"
#include "samplers/CPUUsage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <map>
#include <net/if.h>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tarvo::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t sequence = 7;
constexpr unsigned up = IFF_UP;

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
Bytes text(std::uint16_t type, const char* characters) { // with its terminating zero
    return attribute(type, Bytes(characters, characters + std::strlen(characters) + 1));
}
Bytes counters(std::uint64_t received, std::uint64_t sent, std::uint16_t type = IFLA_STATS64) {
    rtnl_link_stats64 statistics{};
    statistics.rx_bytes = received;
    statistics.tx_bytes = sent;
    return attribute(type, bytesOf(statistics));
}
const auto kind = [](const char* k) { return attribute(IFLA_LINKINFO, text(IFLA_INFO_KIND, k)); };
// Stacked on a link of another namespace, as in a container.
const Bytes lowerElsewhere = attribute(IFLA_LINK_NETNSID, bytesOf(0));

// A message of the dump `seq`; the kernel lays out a DONE's or an ERROR's payload as a nlmsgerr.
Bytes message(std::uint16_t type, const Bytes& body, std::uint32_t seq = sequence,
              std::uint16_t flags = NLM_F_MULTI) {
    const auto length = static_cast<std::uint32_t>(NLMSG_HDRLEN + body.size());
    return join({bytesOf(nlmsghdr{length, type, flags, seq, 0}), body});
}
const Bytes done = message(NLMSG_DONE, bytesOf(nlmsgerr{}));

// A link message with its name and, after its counters, any further attributes.
Bytes link(int index, const char* name, unsigned flags, const Bytes& attributes,
           std::uint32_t seq = sequence) {
    return message(
        RTM_NEWLINK,
        join({bytesOf(ifinfomsg{0, 0, 0, index, flags, 0}), text(IFLA_IFNAME, name), attributes}),
        seq);
}
Bytes statistics(std::uint32_t index, std::uint64_t received, std::uint64_t sent,
                 std::uint32_t seq = sequence) {
    return message(RTM_NEWSTATS,
                   join({bytesOf(if_stats_msg{0, 0, 0, index, 0}),
                         counters(received, sent, IFLA_STATS_LINK_64)}),
                   seq);
}

// "index:received/sent " for each interface of a reading.
std::string shown(const std::vector<InterfaceCounters>& reading) {
    std::ostringstream text;
    for (const InterfaceCounters& c : reading) {
        text << c.index << ":" << c.received << "/" << c.sent << " ";
    }
    return text.str();
}

// The link dump chooses the interfaces, over as many datagrams as it takes.
TEST(LinkMessages, CountUpTrafficLinksOfTheirOwnAtFullWidth) {
    std::vector<InterfaceCounters> links;
    const Bytes first = join(
        {link(1, "lo", up | IFF_LOOPBACK, counters(1000, 1000)),
         link(2, "eth0", up, counters(0x1'0000'0010u, 1)), link(3, "wlan0", up, counters(20, 2)),
         link(4, "docker0", up, counters(500, 500)), link(5, "eth1", 0, counters(700, 700)),
         link(6, "enp1s0", up, counters(900, 900), sequence - 1), // an older dump's leftover
         link(7, "ww0", up, {}),                                  // no statistics
         // Stacked on eth0, whose bytes they are.
         link(9, "eth0.100", up, join({counters(50, 5), kind("vlan")})),
         link(10, "eth0m", up, join({counters(50, 5), kind("macvlan")})),
         // Stacked elsewhere: the only path here.
         link(11, "eth2", up, join({counters(30, 3), lowerElsewhere, kind("macvlan")})),
         link(12, "wwan0", up, join({counters(5, 0), lowerElsewhere, kind("veth")}))});
    EXPECT_EQ(addLinkMessages(first, sequence, links), LinkDumpProgress::more);
    const Bytes last = join({link(8, "enp3s0", up, counters(40, 4)), done});
    EXPECT_EQ(addLinkMessages(last, sequence, links), LinkDumpProgress::done);
    EXPECT_EQ(shown(links), "2:4294967312/1 3:20/2 11:30/3 12:5/0 8:40/4 ");
}

// Errors, interrupted dumps and lengths that overrun fail the whole reading.
TEST(LinkMessages, FaultyDatagramsFailTheReading) {
    const Bytes eth0 = link(2, "eth0", up, counters(10, 1));
    Bytes longMessage = eth0;
    longMessage[0] += 4; // nlmsg_len, little-endian
    Bytes longAttribute = eth0;
    longAttribute[33] = 0xFF; // the high byte of the name's rta_len, after 16 + 16 bytes of headers
    using Row = std::pair<const char*, Bytes>;
    for (const auto& [name, datagram] :
         {Row{"error", message(NLMSG_ERROR, bytesOf(nlmsgerr{}))},
          Row{"interrupted", message(NLMSG_DONE, bytesOf(nlmsgerr{}), sequence, NLM_F_DUMP_INTR)},
          Row{"done with an error", message(NLMSG_DONE, bytesOf(nlmsgerr{-ENOBUFS, {}}))},
          Row{"long message", longMessage}, Row{"long attribute", longAttribute},
          Row{"cut short", Bytes(eth0.begin(), eth0.end() - 3)}}) {
        std::vector<InterfaceCounters> reading;
        EXPECT_EQ(addLinkMessages(datagram, sequence, reading), LinkDumpProgress::failed) << name;
        EXPECT_TRUE(reading.empty()) << name;
    }
}

// The kernel's side of a LinkCounters' routing sockets: socket 1 is the one subscribed to link
// changes (group 1), socket 2 any other. eth0 (index 2) is up; eth1 (index 3) comes up with an
// announcement. Each request takes the next answer, whole; nothing queued reads as a timeout.
enum class Answer { dump, error, stale, none };
struct FakeKernel {
    std::vector<Answer> answers; // to the requests to come, in turn
    std::string asked;           // the dumps asked for
    bool isEth1Up = false;
    std::map<int, Bytes> queued;
} kernel;

ssize_t answerRequest(int socket, const void* request, std::size_t size, int) {
    nlmsghdr header;
    std::memcpy(&header, request, sizeof header);
    const bool isLinks = header.nlmsg_type == RTM_GETLINK;
    kernel.asked += isLinks ? "links " : header.nlmsg_type == RTM_GETSTATS ? "statistics " : "? ";
    const Answer answer = kernel.answers.at(0);
    kernel.answers.erase(kernel.answers.begin());
    const std::uint32_t seq = header.nlmsg_seq - (answer == Answer::stale ? 1 : 0);
    const Bytes dump = isLinks
                           ? join({link(2, "eth0", up, counters(100, 10), seq),
                                   link(3, "eth1", kernel.isEth1Up ? up : 0, counters(50, 5), seq)})
                           : join({statistics(2, 100, 10, seq), statistics(3, 50, 5, seq)});
    const Bytes error = message(NLMSG_ERROR, bytesOf(nlmsgerr{-EINVAL, {}}), seq);
    kernel.queued[socket] = answer == Answer::none ? Bytes{}
                            : answer == Answer::error
                                ? error
                                : join({dump, message(NLMSG_DONE, bytesOf(nlmsgerr{}), seq)});
    return static_cast<ssize_t>(size);
}

ssize_t receive(int socket, void* buffer, std::size_t size, int) {
    const Bytes datagram = std::exchange(kernel.queued[socket], {});
    if (datagram.empty()) {
        errno = EAGAIN;
        return -1;
    }
    std::memcpy(buffer, datagram.data(), std::min(size, datagram.size()));
    return static_cast<ssize_t>(datagram.size());
}

// Each row: a name, then its reads in turn, each: whether eth1 came up just before, the answers,
// the dumps asked for, and the reading.
TEST(LinkCounters, AskTheKernelForLinksOnlyWhenTheyChanged) {
    using Read = std::tuple<bool, std::vector<Answer>, const char*, const char*>;
    const Read first{false, {Answer::dump}, "links ", "2:100/10 "};
    const Read statisticsOfEth0{false, {Answer::dump}, "statistics ", "2:100/10 "};
    using Reads = std::pair<const char*, std::vector<Read>>;
    for (const auto& [name, reads] :
         {Reads{"the first read dumps the links, later ones statistics",
                {first, statisticsOfEth0, statisticsOfEth0}},
          Reads{"announcement brings a link dump",
                {first, {true, {Answer::dump}, "links ", "2:100/10 3:50/5 "}}},
          Reads{"failed statistics fall back to links",
                {first, {false, {Answer::error, Answer::dump}, "statistics links ", "2:100/10 "}}},
          Reads{
              "no answer fails, and the next read starts afresh",
              {first, {false, {Answer::none, Answer::none}, "statistics links ", "failed"}, first}},
          Reads{"stale answer fails",
                {first, {false, {Answer::stale, Answer::stale}, "statistics links ", "failed"}}}}) {
        kernel = {};
        LinkCounters counters({[](std::uint32_t groups) { return groups == 1 ? 1 : 2; },
                               answerRequest, receive, [](int) { return 0; }});
        for (const auto& [isAnnounced, answers, asked, shownReading] : reads) {
            if (isAnnounced) {
                kernel.isEth1Up = true;
                kernel.queued[1] = link(3, "eth1", up, {}, 0);
            }
            kernel.answers = answers, kernel.asked.clear();
            std::vector<InterfaceCounters> reading;
            const bool isRead = counters.read(reading);
            EXPECT_EQ(kernel.asked, asked) << name;
            EXPECT_EQ(isRead ? shown(reading) : "failed", shownReading) << name;
        }
    }
}

// Columns: user nice system idle iowait irq softirq steal guest guest_nice. The sums: iowait is
// idle; irq, softirq and steal are system; the guest columns are in user and nice already.
TEST(ProcStat, AFirstReadingSumsTheProcessorLinesOrIsRefused) {
    const std::pair<std::string, std::optional<ProcessorTicks>> samples[] = {
        {"cpu  1000 1000 1000 1000 0 0 0 0 0 0\ncpu0 1 2 3 4 5 6 7 8 9 10\nintr 5 6 7\n",
         ProcessorTicks{1, 24, 9, 2}},
        {"cpu  9 9 9 9\ncpu2 1 0 0 1 0 0 0 0 0 0\ncpu0 1 0 0 1\ncpu7 1 0 0 1\nctxt 100\n",
         ProcessorTicks{3, 0, 3, 0}},
        {"cpu0 10 20 30 40\ncpu1 1 2 3 4", ProcessorTicks{11, 33, 44, 22}}, // old kernel
        {"cpu0 8589934592 0 0 1\n", ProcessorTicks{8589934592, 0, 1, 0}}};
    for (const auto& [text, expected] : samples) {
        EXPECT_EQ(ProcessorTickCounter().add(text), expected) << text;
    }
    for (const char* text : {"cpu0 1 2 3\n", "cpu0 1 2 x 4\n", "cpu0 1 -2 3 4\n", "cpu0x 1 2 3 4\n",
                             "cpu0 99999999999999999999 0 0 0\n", "cpu  1 2 3 4\nintr 1\n", "",
                             "cpu0 1 1 1 1\ncpu1 1 1\n"}) {
        EXPECT_EQ(ProcessorTickCounter().add(text), std::nullopt) << text;
    }
}

// A processor that goes offline, then comes back with its old counters; one that appears; one
// whose counters went backwards: the load stays that of the processors there throughout, 10 %.
TEST(ProcStat, ProcessorsThatComeAndGoShowAsNoLoad) {
    const char* readings[] = {"cpu0 100 0 100 800\ncpu1 100 0 100 800\n", // since boot: 20 %
                              "cpu0 105 0 105 890\ncpu1 105 0 105 890\n",
                              "cpu0 110 0 110 980\n",
                              "cpu0 115 0 115 1070\ncpu1 105 0 105 890\n",
                              "cpu0 120 0 120 1160\ncpu1 110 0 110 980\ncpu2 900 0 900 100\n",
                              "cpu0 125 0 125 1250\ncpu1 100 0 100 900\ncpu2 905 0 905 190\n",
                              "cpu0 130 0 130 1340\ncpu1 105 0 105 990\ncpu2 910 0 910 280\n"};
    ProcessorTickCounter counter;
    CPUUsage usage;
    std::vector<double> figures;
    for (const char* text : readings) {
        const auto ticks = counter.add(text);
        ASSERT_TRUE(ticks) << text;
        figures.push_back(usage.measure(*ticks));
    }
    EXPECT_EQ(figures, (std::vector{20.0, 10.0, 10.0, 10.0, 10.0, 10.0, 10.0}));
}

// A reading that fails counts nothing: the next one measures from the last that was read.
TEST(ProcStat, AnUnreadableReadingCountsNothing) {
    ProcessorTickCounter counter;
    counter.add("cpu0 100 0 100 800\n");
    EXPECT_EQ(counter.add("cpu0 1 2\n"), std::nullopt);
    EXPECT_EQ(counter.add("cpu0 110 0 110 900\n"), (ProcessorTicks{110, 110, 900, 0}));
}

// The locale is the first set, non-empty one of LC_ALL, LC_MESSAGES and LANG; the first entry of
// LANGUAGE comes before it, except where the locale is C or POSIX, or none is set.
TEST(LocaleTag, LanguageAsTheCLibraryChoosesIt) {
    using Variables = std::map<std::string, std::string>;
    using Environment = std::pair<Variables, std::optional<std::string>>;
    for (const auto& [variables, tag] :
         {Environment{{}, std::nullopt}, Environment{{{"LANG", "zh_CN.UTF-8"}}, "zh-CN"},
          Environment{{{"LANG", "en_US.UTF-8@euro"}}, "en-US"},
          Environment{{{"LANG", "sr_RS@latin"}}, "sr-RS"}, Environment{{{"LANG", "de"}}, "de"},
          Environment{{{"LC_ALL", "C"}, {"LANG", "zh_CN.UTF-8"}}, std::nullopt},
          Environment{{{"LC_MESSAGES", "C"}, {"LANG", "zh_CN.UTF-8"}}, std::nullopt},
          Environment{{{"LC_ALL", "C.UTF-8"}, {"LANGUAGE", "zh_CN"}}, std::nullopt},
          Environment{{{"LANGUAGE", "zh_CN"}, {"LANG", "C"}}, std::nullopt},
          Environment{{{"LANGUAGE", "zh_CN"}, {"LC_ALL", "POSIX"}}, std::nullopt},
          Environment{{{"LANGUAGE", "zh_CN"}}, std::nullopt},
          Environment{{{"LANGUAGE", "zh_CN"}, {"LANG", "en_US.UTF-8"}}, "zh-CN"},
          Environment{{{"LANGUAGE", "zh_TW:en"}, {"LANG", "en_US.UTF-8"}}, "zh-TW"},
          Environment{{{"LANGUAGE", ":zh"}, {"LANG", "en_GB.UTF-8"}}, "en-GB"},
          Environment{{{"LANGUAGE", ""}, {"LANG", "fr_FR"}}, "fr-FR"},
          Environment{{{"LC_ALL", ""}, {"LC_MESSAGES", "zh_CN"}, {"LANG", "C"}}, "zh-CN"},
          Environment{{{"LC_MESSAGES", "zh_CN"}, {"LANG", "en_US.UTF-8"}}, "zh-CN"},
          Environment{{{"LC_ALL", "fr_FR"}, {"LANG", "zh_CN"}}, "fr-FR"},
          Environment{{{"LANGUAGE", ""}, {"LANG", ""}}, std::nullopt}}) {
        const auto getenv = [&set = variables](const char* name) -> const char* {
            const auto found = set.find(name);
            return found == set.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(languageTagFromEnvironment(getenv), tag) << testing::PrintToString(variables);
    }
}

} // namespace
} // namespace tarvo::platform
