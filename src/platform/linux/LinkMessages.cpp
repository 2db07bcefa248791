#include "platform/linux/LinkMessages.h"

#include <algorithm>
#include <cstring>
#include <ifaddrs.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

namespace tarvo::platform {
namespace {

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
        attribute(header.rta_type,
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
            return (header.nlmsg_flags & NLM_F_DUMP_INTR) != 0 ? LinkDumpProgress::failed
                                                               : LinkDumpProgress::done;
        }
        if (header.nlmsg_type == NLMSG_ERROR || (header.nlmsg_flags & NLM_F_DUMP_INTR) != 0 ||
            (header.nlmsg_type == type && !add(body))) {
            return LinkDumpProgress::failed;
        }
    }
    return datagram.empty() ? LinkDumpProgress::more : LinkDumpProgress::failed;
}

// Copies of the parts of one RTM_NEWLINK message that the filter reads, aligned and terminated.
struct Link {
    char name[IFNAMSIZ + 1] = {};
    rtnl_link_stats statistics{};
    bool hasStatistics = false;
};

bool addLink(std::span<const std::uint8_t> body, InterfaceTotals& totals,
             std::vector<int>& counted) {
    if (body.size() < NLMSG_ALIGN(sizeof(ifinfomsg))) {
        return false;
    }
    const auto info = copyAt<ifinfomsg>(body.data());
    Link link;
    const bool wellFormed = forEachAttribute(
        body.subspan(NLMSG_ALIGN(sizeof(ifinfomsg))), [&](auto type, auto payload) {
            if (type == IFLA_IFNAME) {
                std::memcpy(link.name, payload.data(),
                            std::min(payload.size(), sizeof link.name - 1));
            } else if (type == IFLA_STATS && payload.size() >= sizeof link.statistics) {
                std::memcpy(&link.statistics, payload.data(), sizeof link.statistics);
                link.hasStatistics = true;
            }
        });
    if (!wellFormed) {
        return false;
    }
    sockaddr address{};
    address.sa_family = AF_PACKET;
    ifaddrs entry{};
    entry.ifa_name = link.name;
    entry.ifa_flags = info.ifi_flags;
    entry.ifa_addr = &address;
    entry.ifa_data = link.hasStatistics ? &link.statistics : nullptr;
    if (countsInterface(entry, linuxLinkLayout)) {
        addInterface(entry, linuxLinkLayout, totals);
        counted.push_back(info.ifi_index);
    }
    return true;
}

bool addStats(std::span<const std::uint8_t> body, const std::vector<int>& counted,
              InterfaceTotals& totals) {
    if (body.size() < NLMSG_ALIGN(sizeof(if_stats_msg))) {
        return false;
    }
    const auto header = copyAt<if_stats_msg>(body.data());
    if (std::find(counted.begin(), counted.end(), static_cast<int>(header.ifindex)) ==
        counted.end()) {
        return true;
    }
    return forEachAttribute(
        body.subspan(NLMSG_ALIGN(sizeof(if_stats_msg))), [&](auto type, auto payload) {
            if (type == IFLA_STATS_LINK_64 && payload.size() >= sizeof(rtnl_link_stats64)) {
                const auto statistics = copyAt<rtnl_link_stats64>(payload.data());
                totals.down += static_cast<std::uint32_t>(statistics.rx_bytes);
                totals.up += static_cast<std::uint32_t>(statistics.tx_bytes);
            }
        });
}

} // namespace

LinkDumpProgress addLinkMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                 InterfaceTotals& totals, std::vector<int>& counted) {
    return walkDump(datagram, sequence, RTM_NEWLINK,
                    [&](auto body) { return addLink(body, totals, counted); });
}

LinkDumpProgress addStatsMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                  const std::vector<int>& counted, InterfaceTotals& totals) {
    return walkDump(datagram, sequence, RTM_NEWSTATS,
                    [&](auto body) { return addStats(body, counted, totals); });
}

} // namespace tarvo::platform
