#include "support/DarwinInterfaces.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

// Turns the input into a getifaddrs-shaped list: per entry a flags byte, a family byte, an index
// byte, a presence byte (address, statistics), a name length and name, then the statistics record.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t at = 0;
    const auto byte = [&] { return at < size ? data[at++] : std::uint8_t{0}; };
    std::vector<tarvo::platform::InterfaceEntry> entries;
    while (at < size && entries.size() < 64) {
        auto& entry = entries.emplace_back();
        entry.flags = byte();
        entry.family = byte();
        entry.index = byte();
        const std::uint8_t presence = byte();
        entry.hasAddress = (presence & 1) != 0;
        entry.hasData = (presence & 2) != 0;
        for (std::size_t length = byte() % 16; length > 0; --length) {
            entry.name.push_back(static_cast<char>(byte()));
        }
        std::array<std::uint8_t, 96> statistics{}; // an if_data record, of which two counters count
        std::generate(statistics.begin(), statistics.end(), byte);
        std::memcpy(&entry.received, &statistics[tarvo::platform::darwinLinkLayout.receivedOffset],
                    4);
        std::memcpy(&entry.sent, &statistics[tarvo::platform::darwinLinkLayout.sentOffset], 4);
    }
    tarvo::platform::readDarwinList(entries);
    return 0;
}
