#pragma once

#include "platform/InterfaceCounters.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarvo::platform {

// A Mac's interface list, as sysctl's NET_RT_IFLIST2 hands it out: a run of messages, each
// opening with its 16-bit length, its version and its type. The macOS build checks every offset
// and size here against the SDK's structures.
namespace interfaceMessage {
inline constexpr std::size_t lengthOffset = 0;    // ifm_msglen, 16 bits
inline constexpr std::size_t typeOffset = 3;      // ifm_type, 8 bits
inline constexpr std::size_t commonSize = 4;      // what every message starts with
inline constexpr std::uint8_t interfaceType = 18; // RTM_IFINFO2: a struct if_msghdr2
// In a struct if_msghdr2, which its interface's struct sockaddr_dl follows:
inline constexpr std::size_t flagsOffset = 8;     // ifm_flags, 32 bits
inline constexpr std::size_t indexOffset = 12;    // ifm_index, 16 bits
inline constexpr std::size_t receivedOffset = 96; // ifm_data.ifi_ibytes, 64 bits
inline constexpr std::size_t sentOffset = 104;    // ifm_data.ifi_obytes, 64 bits
inline constexpr std::size_t interfaceSize = 160; // where the sockaddr_dl begins
} // namespace interfaceMessage

// In a struct sockaddr_dl:
namespace linkAddress {
inline constexpr std::size_t lengthOffset = 0;     // sdl_len, 8 bits: the whole address
inline constexpr std::size_t nameLengthOffset = 5; // sdl_nlen, 8 bits
inline constexpr std::size_t nameOffset = 8;       // sdl_data, which starts with the name
} // namespace linkAddress

// The interfaces that count in a Mac's interface list (up, not loopback, named "en…" or
// "pdp_ip…"), with their 64-bit counters, in place of the reading's contents. Messages of other
// types are skipped. False when a message is malformed: a length that is zero, too short for the
// message's header or past the list's end, or a name past the end of its address.
bool readInterfaceMessages(std::span<const std::uint8_t> list,
                           std::vector<InterfaceCounters>& reading);

} // namespace tarvo::platform
