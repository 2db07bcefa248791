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

// Copies of the parts of one RTM_NEWLINK message that the filter reads, aligned and terminated.
struct Link {
    char name[IFNAMSIZ + 1] = {};
    rtnl_link_stats statistics{};
    bool hasStatistics = false;
};

template <typename T>
T copyAt(const std::uint8_t* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// Reads the attributes that follow the ifinfomsg; false when one overruns the message.
bool readAttributes(std::span<const std::uint8_t> attributes, Link& link) {
    while (attributes.size() >= sizeof(rtattr)) {
        const auto attribute = copyAt<rtattr>(attributes.data());
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > attributes.size()) {
            return false;
        }
        const auto payload = attributes.subspan(RTA_LENGTH(0), attribute.rta_len - RTA_LENGTH(0));
        if (attribute.rta_type == IFLA_IFNAME) {
            std::memcpy(link.name, payload.data(), std::min(payload.size(), sizeof link.name - 1));
        } else if (attribute.rta_type == IFLA_STATS && payload.size() >= sizeof link.statistics) {
            std::memcpy(&link.statistics, payload.data(), sizeof link.statistics);
            link.hasStatistics = true;
        }
        attributes = attributes.subspan(
            std::min<std::size_t>(RTA_ALIGN(attribute.rta_len), attributes.size()));
    }
    return true;
}

bool addLink(std::span<const std::uint8_t> body, InterfaceTotals& totals) {
    if (body.size() < NLMSG_ALIGN(sizeof(ifinfomsg))) {
        return false;
    }
    const auto info = copyAt<ifinfomsg>(body.data());
    Link link;
    if (!readAttributes(body.subspan(NLMSG_ALIGN(sizeof(ifinfomsg))), link)) {
        return false;
    }
    sockaddr address{};
    address.sa_family = AF_PACKET;
    ifaddrs entry{};
    entry.ifa_name = link.name;
    entry.ifa_flags = info.ifi_flags;
    entry.ifa_addr = &address;
    entry.ifa_data = link.hasStatistics ? &link.statistics : nullptr;
    addInterface(entry, linuxLinkLayout, totals);
    return true;
}

} // namespace

LinkDumpProgress addLinkMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                 InterfaceTotals& totals) {
    while (datagram.size() >= sizeof(nlmsghdr)) {
        const auto header = copyAt<nlmsghdr>(datagram.data());
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > datagram.size()) {
            return LinkDumpProgress::failed;
        }
        const auto body = datagram.subspan(NLMSG_HDRLEN, header.nlmsg_len - NLMSG_HDRLEN);
        datagram =
            datagram.subspan(std::min<std::size_t>(NLMSG_ALIGN(header.nlmsg_len), datagram.size()));
        if (header.nlmsg_seq != sequence) {
            continue;
        }
        if (header.nlmsg_type == NLMSG_DONE) {
            return (header.nlmsg_flags & NLM_F_DUMP_INTR) != 0 ? LinkDumpProgress::failed
                                                               : LinkDumpProgress::done;
        }
        if (header.nlmsg_type == NLMSG_ERROR || (header.nlmsg_flags & NLM_F_DUMP_INTR) != 0 ||
            (header.nlmsg_type == RTM_NEWLINK && !addLink(body, totals))) {
            return LinkDumpProgress::failed;
        }
    }
    return datagram.empty() ? LinkDumpProgress::more : LinkDumpProgress::failed;
}

} // namespace tarvo::platform
