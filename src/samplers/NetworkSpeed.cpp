#include "samplers/NetworkSpeed.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tarvo {
namespace {

using platform::InterfaceCounters;

bool sameInterface(const InterfaceCounters& a, const InterfaceCounters& b) {
    return a.index == b.index && a.name == b.name;
}

// A 64-bit counter cannot wrap in practice: one that went backwards was restarted, and the
// interface is measured afresh from here.
bool wasRestarted(const InterfaceCounters& before, const InterfaceCounters& now) {
    return now.received < before.received || now.sent < before.sent;
}

// Below a microsecond no figure means anything, and bytes divided by a far shorter span could
// overflow to infinity.
constexpr double shortestSpan = 1e-6;

} // namespace

NetworkSample NetworkSpeed::sample() {
    // An unreadable interface list is not a list without interfaces: keeping the baselines
    // spares every interface from starting afresh with an interval of zeros, and the next
    // reading is divided by the time since the last one that was measured.
    if (!platform::readInterfaceCounters(current)) {
        return {};
    }
    return measure(current, platform::continuousSeconds());
}

// Zeros, never a division by zero, where no span can be measured:
// - a time that is not a number, or one within a microsecond of the previous one, is skipped
//   like an unreadable list: the baselines stay, and the next sample gives the rate over the
//   whole span, so no byte is lost;
// - the first reading, or one earlier than the previous (a clock that went back), only sets the
//   baselines: the span since the previous reading is unknown, and keeping that reading as the
//   time baseline could hold every later figure at zero until the clock caught up with it.
NetworkSample NetworkSpeed::measure(std::span<const InterfaceCounters> reading, double seconds) {
    if (!std::isfinite(seconds) || (previousSeconds && seconds >= *previousSeconds &&
                                    seconds - *previousSeconds < shortestSpan)) {
        return {};
    }
    const auto [down, up] = moveBaselines(reading);
    const std::optional<double> since = std::exchange(previousSeconds, seconds);
    if (!since || seconds < *since) {
        return {};
    }
    const double span = seconds - *since;
    return {static_cast<double>(down) / span, static_cast<double>(up) / span};
}

std::pair<std::uint64_t, std::uint64_t>
NetworkSpeed::moveBaselines(std::span<const InterfaceCounters> reading) {
    std::uint64_t down = 0;
    std::uint64_t up = 0;
    for (const InterfaceCounters& now : reading) {
        // One seen for the first time, or again after being down or gone, adds nothing: its
        // counters are only its baseline.
        const auto before = std::find_if(previous.begin(), previous.end(),
                                         [&](const auto& old) { return sameInterface(old, now); });
        if (before != previous.end() && !wasRestarted(*before, now)) {
            down += now.received - before->received;
            up += now.sent - before->sent;
        }
    }
    previous.assign(reading.begin(), reading.end());
    return {down, up};
}

} // namespace tarvo
