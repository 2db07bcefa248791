#include "platform/posix/InterfaceList.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <ifaddrs.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace {

// Turns the input into a getifaddrs-shaped list: per entry a flags byte, a family byte, an index
// byte, a presence byte (address, statistics), a name length and name, then the statistics record.
struct Entry {
    std::string name;
    sockaddr address{};
    std::array<unsigned char, 96> statistics{}; // room for an if_data record
    ifaddrs node{};
};

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    bool empty() const { return at >= size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

void buildEntry(Input& input, Entry& entry) {
    entry.node.ifa_flags = input.byte();
    entry.address.sa_family = input.byte();
    entry.address.sa_data[0] = static_cast<char>(input.byte()); // the interface index
    const std::uint8_t presence = input.byte();
    const std::size_t nameLength = input.byte() % 16;
    for (std::size_t i = 0; i < nameLength; ++i) {
        entry.name.push_back(static_cast<char>(input.byte()));
    }
    for (auto& b : entry.statistics) {
        b = input.byte();
    }
    entry.node.ifa_name = entry.name.data();
    entry.node.ifa_addr = (presence & 1) != 0 ? &entry.address : nullptr;
    entry.node.ifa_data = (presence & 2) != 0 ? entry.statistics.data() : nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    std::deque<Entry> entries;
    while (!input.empty() && entries.size() < 64) {
        buildEntry(input, entries.emplace_back());
        if (entries.size() > 1) {
            entries[entries.size() - 2].node.ifa_next = &entries.back().node;
        }
    }
    const ifaddrs* head = entries.empty() ? nullptr : &entries.front().node;
    std::vector<tarvo::platform::InterfaceCounters> reading;
    tarvo::platform::readInterfaceList(head, tarvo::platform::darwinLinkLayout, reading);
    return 0;
}
