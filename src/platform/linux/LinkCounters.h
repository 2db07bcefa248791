#pragma once

#include "platform/InterfaceCounters.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <linux/netlink.h>
#include <sys/types.h>
#include <vector>

namespace tarvo::platform {

// The routing socket calls of LinkCounters, passed in so that a test can stand in for the kernel.
struct RoutingCalls {
    // A routing socket subscribed to the multicast `groups`, which never blocks; or, with no
    // groups, one for requests whose replies are waited for a bounded time. −1 when it fails.
    int (*open)(std::uint32_t groups);
    ssize_t (*send)(int socket, const void* message, std::size_t size, int flags);
    ssize_t (*receive)(int socket, void* buffer, std::size_t size, int flags);
    int (*close)(int socket);
};

// The interfaces' counters from the kernel's routing sockets, kept open between reads.
// getifaddrs would dump every link and every address, on a new socket, every second: most of a
// refresh's cost. Here a link dump says which interfaces count, and is repeated only when the
// kernel announces a change of links; every other reading asks for just the statistics of the
// links, which costs the kernel far less.
class LinkCounters {
public:
    explicit LinkCounters(RoutingCalls calls) : calls(calls) {}
    LinkCounters(const LinkCounters&) = delete;
    LinkCounters& operator=(const LinkCounters&) = delete;
    ~LinkCounters() { close(); }

    // The counted interfaces replace the contents of `reading`; false when they cannot be read.
    bool read(std::vector<InterfaceCounters>& reading);

private:
    bool open();
    void close();
    bool linksChanged();
    bool dumpLinks(std::vector<InterfaceCounters>& reading);
    bool dumpStatistics(std::vector<InterfaceCounters>& reading);
    template <typename Request, typename AddDatagram>
    bool dump(Request& request, std::uint16_t type, AddDatagram add);

    RoutingCalls calls;
    int changes = -1;
    int requests = -1;
    std::uint32_t sequence = 0;
    std::vector<std::uint32_t> counted; // the counted interfaces of the last link dump
    bool isCountedKnown = false;
    // The kernel sizes dump datagrams to at most 32 KiB.
    alignas(nlmsghdr) std::array<std::uint8_t, 32768> buffer{};
};

} // namespace tarvo::platform
