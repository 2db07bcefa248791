#include "platform/InterfaceTotals.h"
#include "platform/linux/LinkMessages.h"
#include "platform/posix/InterfaceList.h"

#include <array>
#include <cerrno>
#include <cstddef>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace tarvo::platform {

static_assert(linuxLinkLayout.linkFamily == AF_PACKET);
static_assert(linuxLinkLayout.receivedOffset == offsetof(rtnl_link_stats, rx_bytes));
static_assert(linuxLinkLayout.sentOffset == offsetof(rtnl_link_stats, tx_bytes));

namespace {

void closeDescriptor(int& descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

// The interfaces' counters from the kernel's routing sockets, kept open for the process.
// getifaddrs would dump every link and every address, on a new socket, every second: most of a
// refresh's cost. Here a link dump (the same AF_PACKET records and filter as getifaddrs) says
// which interfaces count, and is repeated only when the kernel announces a change of links;
// every other reading asks for just the statistics of the links, which costs the kernel far
// less.
class LinkCounters {
public:
    LinkCounters() = default;
    LinkCounters(const LinkCounters&) = delete;
    LinkCounters& operator=(const LinkCounters&) = delete;
    ~LinkCounters() { close(); }

    std::optional<InterfaceTotals> read() {
        if (!open()) {
            return std::nullopt;
        }
        std::optional<InterfaceTotals> totals;
        if (!linksChanged()) {
            totals = dumpStatistics();
        }
        if (!totals) {
            totals = dumpLinks();
        }
        if (!totals) {
            close(); // fresh sockets next time, with nothing left over from this dump
        }
        return totals;
    }

private:
    // The change socket comes first, so that no change after a link dump goes unnoticed.
    bool open() {
        if (changes < 0) {
            changes = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
            sockaddr_nl address{};
            address.nl_family = AF_NETLINK;
            address.nl_groups = RTMGRP_LINK;
            if (changes >= 0 &&
                ::bind(changes, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
                closeDescriptor(changes);
            }
        }
        if (changes >= 0 && requests < 0) {
            requests = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
            // The kernel answers a dump at once; a second is a generous bound on a wait.
            const timeval timeout{1, 0};
            if (requests >= 0 &&
                setsockopt(requests, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
                closeDescriptor(requests);
            }
        }
        if (requests < 0) {
            close();
        }
        return requests >= 0;
    }

    void close() {
        closeDescriptor(changes);
        closeDescriptor(requests);
        isCountedKnown = false;
    }

    // Drains the announcements of links that appeared, went, or changed name or flags.
    bool linksChanged() {
        bool changed = !isCountedKnown;
        for (;;) {
            const ssize_t got = ::recv(changes, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (got >= 0 || errno == EINTR) {
                changed = true;
            } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return changed;
            } else {
                return true; // ENOBUFS: announcements were lost
            }
        }
    }

    std::optional<InterfaceTotals> dumpLinks() {
        struct {
            nlmsghdr header;
            ifinfomsg info;
        } request{};
        request.info.ifi_family = AF_PACKET;
        counted.clear();
        auto totals = dump(request, RTM_GETLINK, [&](auto datagram, InterfaceTotals& sums) {
            return addLinkMessages(datagram, sequence, sums, counted);
        });
        isCountedKnown = totals.has_value();
        return totals;
    }

    std::optional<InterfaceTotals> dumpStatistics() {
        struct {
            nlmsghdr header;
            if_stats_msg statistics;
        } request{};
        request.statistics.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
        return dump(request, RTM_GETSTATS, [&](auto datagram, InterfaceTotals& sums) {
            return addStatsMessages(datagram, sequence, counted, sums);
        });
    }

    template <typename Request, typename AddDatagram>
    std::optional<InterfaceTotals> dump(Request& request, std::uint16_t type, AddDatagram add) {
        request.header.nlmsg_len = sizeof request;
        request.header.nlmsg_type = type;
        request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
        request.header.nlmsg_seq = ++sequence;
        if (::send(requests, &request, sizeof request, 0) != sizeof request) {
            return std::nullopt;
        }
        InterfaceTotals totals;
        for (;;) {
            const ssize_t got = ::recv(requests, buffer.data(), buffer.size(), MSG_TRUNC);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0 || static_cast<std::size_t>(got) > buffer.size()) {
                return std::nullopt;
            }
            switch (add(std::span(buffer).first(static_cast<std::size_t>(got)), totals)) {
            case LinkDumpProgress::more:
                continue;
            case LinkDumpProgress::done:
                return totals;
            case LinkDumpProgress::failed:
                return std::nullopt;
            }
        }
    }

    int changes = -1;
    int requests = -1;
    std::uint32_t sequence = 0;
    std::vector<int> counted; // indexes of the interfaces that count, from the last link dump
    bool isCountedKnown = false;
    // The kernel sizes dump datagrams to at most 32 KiB.
    alignas(nlmsghdr) std::array<std::uint8_t, 32768> buffer{};
};

} // namespace

std::optional<InterfaceTotals> readInterfaceTotals() {
    static LinkCounters counters; // the samplers run on the main thread only
    return counters.read();
}

} // namespace tarvo::platform
