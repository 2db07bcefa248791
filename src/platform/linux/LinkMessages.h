#pragma once

#include "platform/InterfaceCounters.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tarvo::platform {

enum class LinkDumpProgress { more, done, failed };

// Appends to `reading` the interfaces that count in one datagram of a kernel RTM_GETLINK dump
// (sequence number `sequence`), with their 64-bit counters. An interface counts when it is up,
// not loopback, named like Ethernet, Wi-Fi or mobile broadband, and not stacked on another link
// of this namespace (whose bytes that link counts already). Messages of an older dump are
// skipped; an error, an interrupted dump or a malformed message fails the whole reading.
LinkDumpProgress addLinkMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                 std::vector<InterfaceCounters>& reading);

// The same for one datagram of an RTM_GETSTATS dump of 64-bit link statistics: only the
// interfaces whose index is in `counted` are appended.
LinkDumpProgress addStatsMessages(std::span<const std::uint8_t> datagram, std::uint32_t sequence,
                                  std::span<const std::uint32_t> counted,
                                  std::vector<InterfaceCounters>& reading);

} // namespace tarvo::platform
