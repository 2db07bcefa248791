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

namespace tarvo::platform {

static_assert(linuxLinkLayout.linkFamily == AF_PACKET);
static_assert(linuxLinkLayout.receivedOffset == offsetof(rtnl_link_stats, rx_bytes));
static_assert(linuxLinkLayout.sentOffset == offsetof(rtnl_link_stats, tx_bytes));

namespace {

// The link half of what getifaddrs asks the kernel, on one routing socket kept for the process:
// getifaddrs also dumps every address and opens a socket each time, which made it most of a
// refresh's cost. The entries and the filter are the same.
class LinkDumpSocket {
public:
    LinkDumpSocket() = default;
    LinkDumpSocket(const LinkDumpSocket&) = delete;
    LinkDumpSocket& operator=(const LinkDumpSocket&) = delete;
    ~LinkDumpSocket() { close(); }

    std::optional<InterfaceTotals> read() {
        if (descriptor < 0 && !open()) {
            return std::nullopt;
        }
        auto totals = dump();
        if (!totals) {
            close(); // a fresh socket next time, with nothing left over from this dump
        }
        return totals;
    }

private:
    bool open() {
        descriptor = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        // The kernel answers a dump at once; a second is a generous bound on a wait.
        const timeval timeout{1, 0};
        if (descriptor >= 0 &&
            setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
            close();
        }
        return descriptor >= 0;
    }

    void close() {
        if (descriptor >= 0) {
            ::close(descriptor);
            descriptor = -1;
        }
    }

    std::optional<InterfaceTotals> dump() {
        struct {
            nlmsghdr header;
            ifinfomsg info;
        } request{};
        request.header.nlmsg_len = sizeof request;
        request.header.nlmsg_type = RTM_GETLINK;
        request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
        request.header.nlmsg_seq = ++sequence;
        request.info.ifi_family = AF_PACKET;
        if (::send(descriptor, &request, sizeof request, 0) != sizeof request) {
            return std::nullopt;
        }
        InterfaceTotals totals;
        for (;;) {
            const ssize_t got = ::recv(descriptor, buffer.data(), buffer.size(), MSG_TRUNC);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0 || static_cast<std::size_t>(got) > buffer.size()) {
                return std::nullopt;
            }
            const auto datagram = std::span(buffer).first(static_cast<std::size_t>(got));
            switch (addLinkMessages(datagram, sequence, totals)) {
            case LinkDumpProgress::more:
                continue;
            case LinkDumpProgress::done:
                return totals;
            case LinkDumpProgress::failed:
                return std::nullopt;
            }
        }
    }

    int descriptor = -1;
    std::uint32_t sequence = 0;
    // The kernel sizes dump datagrams to at most 32 KiB.
    alignas(nlmsghdr) std::array<std::uint8_t, 32768> buffer{};
};

} // namespace

std::optional<InterfaceTotals> readInterfaceTotals() {
    static LinkDumpSocket socket; // the samplers run on the main thread only
    return socket.read();
}

} // namespace tarvo::platform
