#include "platform/InterfaceTotals.h"
#include "platform/posix/InterfaceList.h"

#include <cstddef>
#include <net/if.h>
#include <net/if_var.h>
#include <sys/socket.h>

namespace tarvo::platform {

static_assert(darwinLinkLayout.linkFamily == AF_LINK);
static_assert(darwinLinkLayout.receivedOffset == offsetof(struct if_data, ifi_ibytes));
static_assert(darwinLinkLayout.sentOffset == offsetof(struct if_data, ifi_obytes));

std::optional<InterfaceTotals> readInterfaceTotals() {
    return readInterfaceList(darwinLinkLayout);
}

} // namespace tarvo::platform
