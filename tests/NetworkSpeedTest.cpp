#include "samplers/NetworkSpeed.h"
#include "platform/simulated/SimulatedSystem.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarvo {
namespace {

using platform::InterfaceCounters;
using Reading = std::vector<InterfaceCounters>;

using Bytes = std::uint64_t;
const auto en0 = [](Bytes in, Bytes out) { return InterfaceCounters{4, {"en0"}, in, out}; };
const auto en1 = [](Bytes in, Bytes out) { return InterfaceCounters{9, {"en1"}, in, out}; };

// Readings fed one after another to a new sampler, and what the last one must report.
struct Readings {
    const char* name;
    unsigned counterBits;
    double down;
    double up;
    std::vector<Reading> readings;
};

class NetworkSpeedReadings : public testing::TestWithParam<Readings> {};

TEST_P(NetworkSpeedReadings, MeasureEachInterfaceAgainstItsOwnBaseline) {
    NetworkSpeed speed;
    NetworkSample last;
    for (const Reading& reading : GetParam().readings) {
        last = speed.measure(reading, GetParam().counterBits);
    }
    EXPECT_EQ(last.downloadBytesPerSec, GetParam().down);
    EXPECT_EQ(last.uploadBytesPerSec, GetParam().up);
}

// A link that comes up, comes back or is re-created (a new index, or its index taken by another
// name) only sets its baseline; the others keep counting.
const Readings cases[] = {
    {"first_sight", 64, 0, 0, {{en0(4'000'000'000, 17'500'000)}}},
    {"link_comes_up", 64, 60, 5, {{en0(100, 10)}, {en0(160, 15), en1(4e9, 1e7)}}},
    {"link_goes_down", 64, 60, 5, {{en0(100, 10), en1(900, 90)}, {en0(160, 15)}}},
    {"link_back", 64, 0, 0, {{en0(100, 10)}, {}, {en0(5'000'100, 500'010)}}},
    {"recreated", 64, 0, 0, {{en0(5000, 500)}, {{5, {"en0"}, 7000, 700}}}},
    {"index_taken", 32, 0, 0, {{en0(5000, 500)}, {{4, {"pdp_ip0"}, 40, 4}}}},
    {"reordered", 64, 40, 20, {{en0(1, 1), en1(2, 2)}, {en1(2, 22), en0(41, 1)}}},
    {"32_bit_wrap", 32, 512, 32, {{en0(0xFFFF'FF00u, 0xFFFF'FFF0u)}, {en0(256, 16)}}},
    {"64_bit_uncut", 64, 32, 1, {{en0(0xFFFF'FFF0u, 1)}, {en0(0x1'0000'0010u, 2)}}},
    // Restarted 64-bit counters, in either direction: that interface starts afresh.
    {"reset_in", 64, 10, 20, {{en0(9000, 9), en1(1, 1)}, {en0(1000, 20), en1(11, 21)}}},
    {"reset_out", 64, 10, 20, {{en0(9, 9000), en1(1, 1)}, {en0(20, 1000), en1(11, 21)}}}};
INSTANTIATE_TEST_SUITE_P(Cases, NetworkSpeedReadings, testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NetworkSpeed, UnreadableInterfaceListKeepsTheBaselines) {
    simulated::resetSystem();
    auto& interfaces = simulated::system().interfaces;
    NetworkSpeed speed;
    interfaces = Reading{en0(1'000'000, 2'000'000)};
    speed.sample();
    interfaces.reset();
    EXPECT_EQ(speed.sample().downloadBytesPerSec, 0.0);
    // Only the traffic since the last good reading, not the whole counters.
    interfaces = Reading{en0(1'000'300, 2'000'100)};
    const NetworkSample next = speed.sample();
    EXPECT_EQ(next.downloadBytesPerSec, 300.0);
    EXPECT_EQ(next.uploadBytesPerSec, 100.0);
}

} // namespace
} // namespace tarvo
