#include "platform/linux/LinkMessages.h"
#include "platform/posix/TrafficInterface.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <string_view>

namespace tarvo::platform {
namespace {

constexpr std::array<std::string_view, 4> trafficNamePrefixes{"en", "eth", "wl", "ww"};

// Kinds of link that carry a lower link's traffic: counting both would count each byte twice.
constexpr std::array<std::string_view, 5> stackedKinds{"vlan", "macvlan", "macvtap", "ipvlan",
                                                       "ipvtap"};

template <typename T>
T copyAt(const std::uint8_t* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// Calls `attribute(type, payload)` for each attribute after a message's fixed header; false when
// one overruns the message.
template <typename Visit>
bool forEachAttribute(std::span<const std::uint8_t> attributes, Visit attribute) {
    while (attributes.size() >= sizeof(rtattr)) {
        const auto header = copyAt<rtattr>(attributes.data());
        if (header.rta_len < sizeof(rtattr) || header.rta_len > attributes.size()) {
            return false;
        }
        attribute(header.rta_type & NLA_TYPE_MASK,
                  attributes.subspan(RTA_LENGTH(0), header.rta_len - RTA_LENGTH(0)));
        attributes =
            attributes.subspan(std::min<std::size_t>(RTA_ALIGN(header.rta_len), attributes.size()));
    }
    return true;
}

// Walks the messages of one dump datagram, handing each `type` message's body to `add`, which
// says whether it was well formed.
template <typename Add>
LinkDumpProgress walkDump(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                          std::uint16_t type, Add add) {
    while (datagram.size() >= sizeof(nlmsghdr)) {
        const auto header = copyAt<nlmsghdr>(datagram.data());
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > datagram.size()) {
            return LinkDumpProgress::failed;
        }
        const auto body = datagram.subspan(NLMSG_HDRLEN, header.nlmsg_len - NLMSG_HDRLEN);
        datagram =
            datagram.subspan(std::min<std::size_t>(NLMSG_ALIGN(header.nlmsg_len), datagram.size()));
        if (header.nlmsg_seq != sequence) {
            continue; // left over from an older dump
        }
        if (header.nlmsg_type == NLMSG_DONE) {
            // The dump's own result follows the header; a negative one is an error.
            const bool failed = (header.nlmsg_flags & NLM_F_DUMP_INTR) != 0 ||
                                (body.size() >= sizeof(int) && copyAt<int>(body.data()) < 0);
            return failed ? LinkDumpProgress::failed : LinkDumpProgress::done;
        }
        if (header.nlmsg_type == NLMSG_ERROR || (header.nlmsg_flags & NLM_F_DUMP_INTR) != 0 ||
            (header.nlmsg_type == type && !add(body))) {
            return LinkDumpProgress::failed;
        }
    }
    return datagram.empty() ? LinkDumpProgress::more : LinkDumpProgress::failed;
}

// The byte counters of a struct rtnl_link_stats64, which a kernel older than these headers sends
// shorter than they declare it.
bool readByteCounters(std::span<const std::uint8_t> statistics, InterfaceCounters& counters) {
    constexpr std::size_t received = offsetof(rtnl_link_stats64, rx_bytes);
    constexpr std::size_t sent = offsetof(rtnl_link_stats64, tx_bytes);
    if (statistics.size() < sent + sizeof(std::uint64_t)) {
        return false;
    }
    counters.received = copyAt<std::uint64_t>(statistics.data() + received);
    counters.sent = copyAt<std::uint64_t>(statistics.data() + sent);
    return true;
}

std::string_view stringIn(std::span<const std::uint8_t> payload) {
    const auto* text = reinterpret_cast<const char*>(payload.data());
    return {text, static_cast<std::size_t>(std::find(text, text + payload.size(), '\0') - text)};
}

// The parts of one RTM_NEWLINK message that decide whether it counts.
struct Link {
    std::string_view name;
    std::string_view kind;
    bool hasLowerLinkElsewhere = false; // its lower link lives in another namespace
    bool hasStatistics = false;
};

// The IFLA_INFO_KIND nested in an IFLA_LINKINFO; false when the nesting overruns.
bool readKind(std::span<const std::uint8_t> linkInfo, std::string_view& kind) {
    return forEachAttribute(linkInfo, [&](auto type, auto payload) {
        if (type == IFLA_INFO_KIND) {
            kind = stringIn(payload);
        }
    });
}

bool isStacked(const Link& link) {
    return !link.hasLowerLinkElsewhere &&
           std::find(stackedKinds.begin(), stackedKinds.end(), link.kind) != stackedKinds.end();
}

bool addLink(std::span<const std::uint8_t> body, std::vector<InterfaceCounters>& reading) {
    if (body.size() < NLMSG_ALIGN(sizeof(ifinfomsg))) {
        return false;
    }
    const auto info = copyAt<ifinfomsg>(body.data());
    Link link;
    InterfaceCounters counters;
    counters.index = static_cast<std::uint32_t>(info.ifi_index);
    bool isLinkInfoWellFormed = true;
    const bool areAttributesWellFormed = forEachAttribute(
        body.subspan(NLMSG_ALIGN(sizeof(ifinfomsg))), [&](auto type, auto payload) {
            if (type == IFLA_IFNAME) {
                link.name = stringIn(payload);
            } else if (type == IFLA_STATS64) {
                link.hasStatistics = readByteCounters(payload, counters);
            } else if (type == IFLA_LINK_NETNSID) {
                link.hasLowerLinkElsewhere = true;
            } else if (type == IFLA_LINKINFO) {
                isLinkInfoWellFormed = readKind(payload, link.kind) && isLinkInfoWellFormed;
            }
        });
    const bool wellFormed = areAttributesWellFormed && isLinkInfoWellFormed;
    if (wellFormed && isTrafficInterface(info.ifi_flags, link.name, trafficNamePrefixes) &&
        link.hasStatistics && !isStacked(link)) {
        reading.push_back(counters);
    }
    return wellFormed;
}

bool addStats(std::span<const std::uint8_t> body, std::span<const std::uint32_t> counted,
              std::vector<InterfaceCounters>& reading) {
    if (body.size() < NLMSG_ALIGN(sizeof(if_stats_msg))) {
        return false;
    }
    const auto header = copyAt<if_stats_msg>(body.data());
    if (std::find(counted.begin(), counted.end(), header.ifindex) == counted.end()) {
        return true;
    }
    InterfaceCounters counters;
    counters.index = header.ifindex;
    bool hasStatistics = false;
    const bool wellFormed = forEachAttribute(
        body.subspan(NLMSG_ALIGN(sizeof(if_stats_msg))), [&](auto type, auto payload) {
            if (type == IFLA_STATS_LINK_64) {
                hasStatistics = readByteCounters(payload, counters);
            }
        });
    if (wellFormed && hasStatistics) {
        reading.push_back(counters);
    }
    return wellFormed;
}

} // namespace

LinkDumpProgress addLinkMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                 std::vector<InterfaceCounters>& reading) {
    return walkDump(datagram, sequence, RTM_NEWLINK,
                    [&](auto body) { return addLink(body, reading); });
}

LinkDumpProgress addStatsMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                  std::span<const std::uint32_t> counted,
                                  std::vector<InterfaceCounters>& reading) {
    return walkDump(datagram, sequence, RTM_NEWSTATS,
                    [&](auto body) { return addStats(body, counted, reading); });
}

} // namespace tarvo::platform
