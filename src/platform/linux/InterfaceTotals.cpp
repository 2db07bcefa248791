#include "platform/InterfaceTotals.h"
#include "platform/posix/InterfaceList.h"

#include <cstddef>
#include <linux/if_link.h>
#include <sys/socket.h>

namespace tarvo::platform {

static_assert(linuxLinkLayout.linkFamily == AF_PACKET);
static_assert(linuxLinkLayout.receivedOffset == offsetof(rtnl_link_stats, rx_bytes));
static_assert(linuxLinkLayout.sentOffset == offsetof(rtnl_link_stats, tx_bytes));

std::optional<InterfaceTotals> readInterfaceTotals() {
    return readInterfaceList(linuxLinkLayout);
}

} // namespace tarvo::platform
