#include "platform/linux/LinkCounters.h"
#include "platform/linux/LinkMessages.h"

#include <cerrno>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <span>
#include <sys/socket.h>

namespace tarvo::platform {

bool LinkCounters::read(std::vector<InterfaceCounters>& reading) {
    if (!open()) {
        return false;
    }
    const bool isRead = (!linksChanged() && dumpStatistics(reading)) || dumpLinks(reading);
    if (!isRead) {
        close(); // fresh sockets next time, with nothing left over from this dump
    }
    return isRead;
}

// The change socket comes first, so that no change after a link dump goes unnoticed.
bool LinkCounters::open() {
    if (changes < 0) {
        changes = calls.open(RTMGRP_LINK);
    }
    if (changes >= 0 && requests < 0) {
        requests = calls.open(0);
    }
    if (requests < 0) {
        close();
    }
    return requests >= 0;
}

void LinkCounters::close() {
    for (int* socket : {&changes, &requests}) {
        if (*socket >= 0) {
            calls.close(*socket);
            *socket = -1;
        }
    }
    isCountedKnown = false;
}

// Drains the announcements of links that appeared, went, or changed name or flags.
bool LinkCounters::linksChanged() {
    bool changed = !isCountedKnown;
    for (;;) {
        const ssize_t got = calls.receive(changes, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (got >= 0 || errno == EINTR) {
            changed = true;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return changed;
        } else {
            return true; // ENOBUFS: announcements were lost
        }
    }
}

bool LinkCounters::dumpLinks(std::vector<InterfaceCounters>& reading) {
    struct {
        nlmsghdr header;
        ifinfomsg info;
    } request{};
    request.info.ifi_family = AF_PACKET;
    reading.clear();
    isCountedKnown = dump(request, RTM_GETLINK, [&](auto datagram) {
        return addLinkMessages(datagram, sequence, reading);
    });
    counted.clear();
    for (const InterfaceCounters& link : reading) {
        counted.push_back(link.index);
    }
    return isCountedKnown;
}

bool LinkCounters::dumpStatistics(std::vector<InterfaceCounters>& reading) {
    struct {
        nlmsghdr header;
        if_stats_msg statistics;
    } request{};
    request.statistics.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    reading.clear();
    return dump(request, RTM_GETSTATS, [&](auto datagram) {
        return addStatsMessages(datagram, sequence, counted, reading);
    });
}

template <typename Request, typename AddDatagram>
bool LinkCounters::dump(Request& request, std::uint16_t type, AddDatagram add) {
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = ++sequence;
    if (calls.send(requests, &request, sizeof request, 0) != sizeof request) {
        return false;
    }
    for (;;) {
        const ssize_t got = calls.receive(requests, buffer.data(), buffer.size(), MSG_TRUNC);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 || static_cast<std::size_t>(got) > buffer.size()) {
            return false;
        }
        const auto progress = add(std::span(buffer).first(static_cast<std::size_t>(got)));
        if (progress != LinkDumpProgress::more) {
            return progress == LinkDumpProgress::done;
        }
    }
}

} // namespace tarvo::platform
