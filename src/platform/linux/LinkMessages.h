#pragma once

#include "platform/InterfaceTotals.h"
#include "platform/posix/InterfaceList.h"

#include <cstdint>
#include <span>

namespace tarvo::platform {

enum class LinkDumpProgress { more, done, failed };

// Adds the interfaces of one datagram of a kernel RTM_GETLINK dump (sequence number `sequence`)
// to the totals. Each RTM_NEWLINK message carries an interface's name, flags and 32-bit
// statistics, the record that getifaddrs hands out as the interface's AF_PACKET entry, and is
// counted by the same filter. Messages of an older dump are skipped; an error, an interrupted
// dump or a malformed message fails the whole reading.
LinkDumpProgress addLinkMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                 InterfaceTotals& totals);

} // namespace tarvo::platform
