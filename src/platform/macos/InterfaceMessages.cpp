#include "platform/macos/InterfaceMessages.h"
#include "platform/posix/TrafficInterface.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace tarvo::platform {
namespace {

constexpr std::array<std::string_view, 2> trafficNamePrefixes{"en", "pdp_ip"};

// The kernel gives no alignment promise within the list: fields are copied out, not cast.
template <typename T>
T copyAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// Adds the interface of one RTM_IFINFO2 message when it counts; false when the message is
// malformed.
bool addInterface(std::span<const std::uint8_t> message, std::vector<InterfaceCounters>& reading) {
    using namespace interfaceMessage;
    if (message.size() < interfaceSize + linkAddress::nameOffset) {
        return false;
    }
    const auto address = message.subspan(interfaceSize);
    const std::size_t addressLength = address[linkAddress::lengthOffset];
    const std::size_t nameLength = address[linkAddress::nameLengthOffset];
    if (addressLength > address.size() || linkAddress::nameOffset + nameLength > addressLength) {
        return false;
    }
    // An empty name may end the list, where indexing the span would be out of bounds.
    const auto nameBytes = address.subspan(linkAddress::nameOffset, nameLength);
    const std::string_view name(reinterpret_cast<const char*>(nameBytes.data()), nameBytes.size());
    if (!isTrafficInterface(copyAt<std::uint32_t>(message, flagsOffset), name,
                            trafficNamePrefixes)) {
        return true;
    }
    InterfaceCounters& counters = reading.emplace_back();
    counters.index = copyAt<std::uint16_t>(message, indexOffset);
    std::copy_n(name.begin(), std::min(name.size(), counters.name.size()), counters.name.begin());
    counters.received = copyAt<std::uint64_t>(message, receivedOffset);
    counters.sent = copyAt<std::uint64_t>(message, sentOffset);
    return true;
}

} // namespace

bool readInterfaceMessages(std::span<const std::uint8_t> list,
                           std::vector<InterfaceCounters>& reading) {
    using namespace interfaceMessage;
    reading.clear();
    while (!list.empty()) {
        const std::size_t length =
            list.size() < commonSize ? 0 : copyAt<std::uint16_t>(list, lengthOffset);
        if (length < commonSize || length > list.size()) {
            return false;
        }
        const auto message = list.first(length);
        if (message[typeOffset] == interfaceType && !addInterface(message, reading)) {
            return false;
        }
        list = list.subspan(length);
    }
    return true;
}

} // namespace tarvo::platform
