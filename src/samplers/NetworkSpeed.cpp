#include "samplers/NetworkSpeed.h"

#include <algorithm>
#include <cstdint>

namespace tarvo {
namespace {

using platform::InterfaceCounters;

bool sameInterface(const InterfaceCounters& a, const InterfaceCounters& b) {
    return a.index == b.index && a.name == b.name;
}

// A 64-bit counter cannot wrap in practice: one that went backwards was restarted, and the
// interface is measured afresh from here.
bool wasRestarted(const InterfaceCounters& before, const InterfaceCounters& now, unsigned bits) {
    return bits >= 64 && (now.received < before.received || now.sent < before.sent);
}

// Bytes a counter of `bits` bits moved from `before` to `now`, across a wrap if it went below
// its previous value.
std::uint64_t counterDelta(std::uint64_t before, std::uint64_t now, unsigned bits) {
    const std::uint64_t mask = bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
    return (now - before) & mask;
}

} // namespace

NetworkSample NetworkSpeed::sample() {
    // An unreadable interface list is not a list without interfaces: keeping the baselines
    // spares every interface from starting afresh with an interval of zeros.
    if (!platform::readInterfaceCounters(current)) {
        return {};
    }
    return measure(current, platform::interfaceCounterBits());
}

NetworkSample NetworkSpeed::measure(std::span<const InterfaceCounters> reading,
                                    unsigned counterBits) {
    std::uint64_t down = 0;
    std::uint64_t up = 0;
    for (const InterfaceCounters& now : reading) {
        // One seen for the first time, or again after being down or gone, adds nothing: its
        // counters are only its baseline.
        const auto before = std::find_if(previous.begin(), previous.end(),
                                         [&](const auto& old) { return sameInterface(old, now); });
        if (before != previous.end() && !wasRestarted(*before, now, counterBits)) {
            down += counterDelta(before->received, now.received, counterBits);
            up += counterDelta(before->sent, now.sent, counterBits);
        }
    }
    previous.assign(reading.begin(), reading.end());
    return {static_cast<double>(down), static_cast<double>(up)};
}

} // namespace tarvo
