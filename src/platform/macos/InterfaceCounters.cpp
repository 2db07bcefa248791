#include "platform/InterfaceCounters.h"
#include "platform/macos/InterfaceMessages.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <iterator>
#include <net/if.h>
#include <net/if_dl.h>
#include <net/if_var.h>
#include <net/route.h>
#include <sys/socket.h>
#include <sys/sysctl.h>

namespace tarvo::platform {

namespace message = interfaceMessage;
static_assert(NET_RT_IFLIST2 == 6 && RTM_IFINFO2 == message::interfaceType);
static_assert(message::lengthOffset == offsetof(if_msghdr2, ifm_msglen));
static_assert(message::typeOffset == offsetof(if_msghdr2, ifm_type));
static_assert(message::commonSize == offsetof(if_msghdr2, ifm_addrs));
static_assert(message::flagsOffset == offsetof(if_msghdr2, ifm_flags));
static_assert(message::indexOffset == offsetof(if_msghdr2, ifm_index));
static_assert(message::receivedOffset ==
              offsetof(if_msghdr2, ifm_data) + offsetof(if_data64, ifi_ibytes));
static_assert(message::sentOffset ==
              offsetof(if_msghdr2, ifm_data) + offsetof(if_data64, ifi_obytes));
static_assert(message::interfaceSize == sizeof(if_msghdr2));
static_assert(sizeof(if_msghdr2::ifm_msglen) == 2 && sizeof(if_msghdr2::ifm_type) == 1);
static_assert(sizeof(if_msghdr2::ifm_flags) == 4 && sizeof(if_msghdr2::ifm_index) == 2);
static_assert(sizeof(if_data64::ifi_ibytes) == 8 && sizeof(if_data64::ifi_obytes) == 8);
static_assert(linkAddress::lengthOffset == offsetof(sockaddr_dl, sdl_len));
static_assert(linkAddress::nameLengthOffset == offsetof(sockaddr_dl, sdl_nlen));
static_assert(linkAddress::nameOffset == offsetof(sockaddr_dl, sdl_data));
static_assert(sizeof(sockaddr_dl::sdl_len) == 1 && sizeof(sockaddr_dl::sdl_nlen) == 1);

namespace {

// The interface list whose messages carry the kernel's 64-bit counters (getifaddrs hands out
// 32-bit ones, which wrap every 4.29 GB). `size` is the room at `into` and then what was written;
// with no room, only the size the list needs is written.
bool readList(void* into, std::size_t& size) {
    int request[] = {CTL_NET, PF_ROUTE, 0, 0, NET_RT_IFLIST2, 0};
    return sysctl(request, std::size(request), into, &size, nullptr, 0) == 0;
}

} // namespace

bool readInterfaceCounters(std::vector<InterfaceCounters>& reading) {
    // Kept between readings (the samplers run on the main thread only), so that a steady reading
    // makes one call and allocates nothing.
    static std::vector<std::uint8_t> list;
    std::size_t size = list.size();
    if (list.empty() || !readList(list.data(), size)) {
        // The first reading, or a list that outgrew the buffer: its size, with room to grow by
        // half, and one more try.
        if (!list.empty() && errno != ENOMEM) {
            return false;
        }
        size = 0;
        if (!readList(nullptr, size)) {
            return false;
        }
        list.resize(size + size / 2);
        size = list.size();
        if (!readList(list.data(), size)) {
            return false;
        }
    }
    return readInterfaceMessages(std::span(list).first(std::min(size, list.size())), reading);
}

} // namespace tarvo::platform
