#include "platform/InterfaceCounters.h"
#include "platform/posix/InterfaceList.h"

#include <cstddef>
#include <net/if.h>
#include <net/if_dl.h>
#include <net/if_var.h>
#include <sys/socket.h>

namespace tarvo::platform {

static_assert(darwinLinkLayout.linkFamily == AF_LINK);
static_assert(darwinLinkLayout.indexOffset == offsetof(struct sockaddr_dl, sdl_index));
static_assert(sizeof(sockaddr_dl::sdl_index) == 2);
static_assert(darwinLinkLayout.receivedOffset == offsetof(struct if_data, ifi_ibytes));
static_assert(darwinLinkLayout.sentOffset == offsetof(struct if_data, ifi_obytes));
static_assert(sizeof(if_data::ifi_ibytes) == 4 && sizeof(if_data::ifi_obytes) == 4);

bool readInterfaceCounters(std::vector<InterfaceCounters>& reading) {
    return readInterfaceList(darwinLinkLayout, reading);
}

// if_data's byte counters are 32 bits wide.
unsigned interfaceCounterBits() {
    return 32;
}

} // namespace tarvo::platform
