#include "platform/InterfaceCounters.h"
#include "platform/linux/LinkMessages.h"

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

namespace {

void closeDescriptor(int& descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

// The interfaces' counters from the kernel's routing sockets, kept open for the process.
// getifaddrs would dump every link and every address, on a new socket, every second: most of a
// refresh's cost. Here a link dump says which interfaces count, and is repeated only when the
// kernel announces a change of links; every other reading asks for just the statistics of the
// links, which costs the kernel far less.
class LinkCounters {
public:
    LinkCounters() = default;
    LinkCounters(const LinkCounters&) = delete;
    LinkCounters& operator=(const LinkCounters&) = delete;
    ~LinkCounters() { close(); }

    bool read(std::vector<InterfaceCounters>& reading) {
        if (!open()) {
            return false;
        }
        const bool isRead = (!linksChanged() && dumpStatistics(reading)) || dumpLinks(reading);
        if (!isRead) {
            close(); // fresh sockets next time, with nothing left over from this dump
        }
        return isRead;
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

    bool dumpLinks(std::vector<InterfaceCounters>& reading) {
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

    bool dumpStatistics(std::vector<InterfaceCounters>& reading) {
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
    bool dump(Request& request, std::uint16_t type, AddDatagram add) {
        request.header.nlmsg_len = sizeof request;
        request.header.nlmsg_type = type;
        request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
        request.header.nlmsg_seq = ++sequence;
        if (::send(requests, &request, sizeof request, 0) != sizeof request) {
            return false;
        }
        for (;;) {
            const ssize_t got = ::recv(requests, buffer.data(), buffer.size(), MSG_TRUNC);
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

    int changes = -1;
    int requests = -1;
    std::uint32_t sequence = 0;
    std::vector<std::uint32_t> counted; // the counted interfaces of the last link dump
    bool isCountedKnown = false;
    // The kernel sizes dump datagrams to at most 32 KiB.
    alignas(nlmsghdr) std::array<std::uint8_t, 32768> buffer{};
};

} // namespace

bool readInterfaceCounters(std::vector<InterfaceCounters>& reading) {
    static LinkCounters counters; // the samplers run on the main thread only
    return counters.read(reading);
}

// The kernel's 64-bit counters, as they are.
unsigned interfaceCounterBits() {
    return 64;
}

} // namespace tarvo::platform
