#include "platform/InterfaceCounters.h"
#include "platform/linux/LinkCounters.h"

#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo::platform {

namespace {

int openRoutingSocket(std::uint32_t groups) {
    const int nonBlocking = groups != 0 ? SOCK_NONBLOCK : 0;
    int socket = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | nonBlocking, NETLINK_ROUTE);
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = groups;
    // The kernel answers a dump at once; a second is a generous bound on a wait.
    const timeval timeout{1, 0};
    if (socket >= 0 &&
        (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
         (groups == 0 &&
          setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0))) {
        ::close(socket);
        socket = -1;
    }
    return socket;
}

} // namespace

bool readInterfaceCounters(std::vector<InterfaceCounters>& reading) {
    // The samplers run on the main thread only.
    static LinkCounters counters({openRoutingSocket, ::send, ::recv, ::close});
    return counters.read(reading);
}

} // namespace tarvo::platform
