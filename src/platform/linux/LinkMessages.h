#pragma once

#include "platform/InterfaceTotals.h"
#include "platform/posix/InterfaceList.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tarvo::platform {

enum class LinkDumpProgress { more, done, failed };

// Adds the interfaces of one datagram of a kernel RTM_GETLINK dump (sequence number `sequence`)
// to the totals, and the index of each one that counts to `counted`. Each RTM_NEWLINK message
// carries an interface's name, flags and 32-bit statistics, the record that getifaddrs hands
// out as the interface's AF_PACKET entry, and is counted by the same filter. Messages of an
// older dump are skipped; an error, an interrupted dump or a malformed message fails the whole
// reading.
LinkDumpProgress addLinkMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                 InterfaceTotals& totals, std::vector<int>& counted);

// The same for one datagram of an RTM_GETSTATS dump of 64-bit link statistics: only the
// interfaces in `counted` add, their counters cut to the 32 bits that the link records carry.
LinkDumpProgress addStatsMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                  const std::vector<int>& counted, InterfaceTotals& totals);

} // namespace tarvo::platform
