#include "platform/posix/InterfaceList.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <ifaddrs.h>
#include <string>
#include <sys/socket.h>
#include <vector>

// Turns the input into a getifaddrs-shaped list: per entry a flags byte, a family byte, an index
// byte, a presence byte (address, statistics), a name length and name, then the statistics record.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    struct Entry {
        std::string name;
        sockaddr address{};
        std::array<unsigned char, 96> statistics{}; // room for an if_data record
        ifaddrs node{};
        std::uint8_t presence = 0;
    };
    std::size_t at = 0;
    const auto byte = [&] { return at < size ? data[at++] : std::uint8_t{0}; };
    std::vector<Entry> entries;
    while (at < size && entries.size() < 64) {
        Entry& entry = entries.emplace_back();
        entry.node.ifa_flags = byte();
        entry.address.sa_family = byte();
        entry.address.sa_data[0] = static_cast<char>(byte()); // the interface index
        entry.presence = byte();
        for (std::size_t length = byte() % 16; length > 0; --length) {
            entry.name.push_back(static_cast<char>(byte()));
        }
        for (auto& b : entry.statistics) {
            b = byte();
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) { // linked once no entry moves any more
        Entry& entry = entries[i];
        entry.node.ifa_name = entry.name.data();
        entry.node.ifa_addr = (entry.presence & 1) != 0 ? &entry.address : nullptr;
        entry.node.ifa_data = (entry.presence & 2) != 0 ? entry.statistics.data() : nullptr;
        entry.node.ifa_next = i + 1 < entries.size() ? &entries[i + 1].node : nullptr;
    }
    std::vector<tarvo::platform::InterfaceCounters> reading;
    tarvo::platform::readInterfaceList(entries.empty() ? nullptr : &entries.front().node,
                                       tarvo::platform::darwinLinkLayout, reading);
    return 0;
}
