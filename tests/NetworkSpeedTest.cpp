#include "samplers/NetworkSpeed.h"
#include "platform/simulated/SimulatedSystem.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace tarvo {
namespace {

using platform::InterfaceCounters;
using Reading = std::vector<InterfaceCounters>;

using Bytes = std::uint64_t;
const auto en0 = [](Bytes in, Bytes out) { return InterfaceCounters{4, {"en0"}, in, out}; };
const auto en1 = [](Bytes in, Bytes out) { return InterfaceCounters{9, {"en1"}, in, out}; };
const auto rates = [](auto s) { return std::pair(s.downloadBytesPerSec, s.uploadBytesPerSec); };

// Readings fed one after another to a new sampler, and what the last one must report: first
// sight; a link that comes up, goes down, comes back or is re-created (a new index, or its index
// taken by another name) only sets its baseline, the others keep counting; reordered; a 32-bit
// wrap, 64-bit counters uncut; restarted 64-bit counters, in either direction, start afresh.
TEST(NetworkSpeed, MeasuresEachInterfaceAgainstItsOwnBaseline) {
    using Case = std::tuple<unsigned, double, double, std::vector<Reading>>; // bits, down, up
    const Case cases[] = {{64, 0, 0, {{en0(4'000'000'000, 17'500'000)}}},
                          {64, 60, 5, {{en0(100, 10)}, {en0(160, 15), en1(4e9, 1e7)}}},
                          {64, 60, 5, {{en0(100, 10), en1(900, 90)}, {en0(160, 15)}}},
                          {64, 0, 0, {{en0(100, 10)}, {}, {en0(5'000'100, 500'010)}}},
                          {64, 0, 0, {{en0(5000, 500)}, {{5, {"en0"}, 7000, 700}}}},
                          {32, 0, 0, {{en0(5000, 500)}, {{4, {"pdp_ip0"}, 40, 4}}}},
                          {64, 40, 20, {{en0(1, 1), en1(2, 2)}, {en1(2, 22), en0(41, 1)}}},
                          {32, 512, 32, {{en0(0xFFFF'FF00u, 0xFFFF'FFF0u)}, {en0(256, 16)}}},
                          {64, 32, 1, {{en0(0xFFFF'FFF0u, 1)}, {en0(0x1'0000'0010u, 2)}}},
                          {64, 10, 20, {{en0(9000, 9), en1(1, 1)}, {en0(1000, 20), en1(11, 21)}}},
                          {64, 10, 20, {{en0(9, 9000), en1(1, 1)}, {en0(20, 1000), en1(11, 21)}}}};
    for (const Case& c : cases) {
        const auto& [counterBits, down, up, readings] = c;
        NetworkSpeed speed;
        NetworkSample last;
        for (const Reading& reading : readings) {
            last = speed.measure(reading, counterBits);
        }
        EXPECT_EQ(rates(last), std::pair(down, up)) << "case " << &c - cases;
    }
}

TEST(NetworkSpeed, UnreadableInterfaceListKeepsTheBaselines) {
    simulated::resetSystem();
    auto& interfaces = simulated::system().interfaces;
    NetworkSpeed speed;
    interfaces = Reading{en0(1'000'000, 2'000'000)};
    speed.sample();
    interfaces.reset();
    EXPECT_EQ(rates(speed.sample()), std::pair(0.0, 0.0));
    // Only the traffic since the last good reading, not the whole counters.
    interfaces = Reading{en0(1'000'300, 2'000'100)};
    EXPECT_EQ(rates(speed.sample()), std::pair(300.0, 100.0));
}

} // namespace
} // namespace tarvo
