#include "samplers/NetworkSpeed.h"
#include "platform/simulated/SimulatedSystem.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarvo {
namespace {

using platform::InterfaceCounters;
using Reading = std::vector<InterfaceCounters>;

InterfaceCounters link(std::uint32_t index, const char* name, std::uint64_t received,
                       std::uint64_t sent) {
    InterfaceCounters counters{index, {}, received, sent};
    std::string(name).copy(counters.name.data(), counters.name.size());
    return counters;
}

// Readings fed one after another to a new sampler, and what the last one must report.
struct Readings {
    const char* name;
    unsigned counterBits;
    std::vector<Reading> readings;
    double down;
    double up;
};

class NetworkSpeedReadings : public testing::TestWithParam<Readings> {};

TEST_P(NetworkSpeedReadings, MeasureEachInterfaceAgainstItsOwnBaseline) {
    const Readings& c = GetParam();
    NetworkSpeed speed;
    NetworkSample last;
    for (const Reading& reading : c.readings) {
        last = speed.measure(reading, c.counterBits);
    }
    EXPECT_EQ(last.downloadBytesPerSec, c.down);
    EXPECT_EQ(last.uploadBytesPerSec, c.up);
}

const auto en0 = [](std::uint64_t received, std::uint64_t sent) {
    return link(4, "en0", received, sent);
};

INSTANTIATE_TEST_SUITE_P(
    Cases, NetworkSpeedReadings,
    testing::Values(
        Readings{"first_sight_is_only_a_baseline", 64, {{en0(4'000'000'000, 17'500'000)}}, 0, 0},
        Readings{
            "directions_never_crossed", 32, {{en0(500, 200)}, {en0(2'500'500, 207)}}, 2'500'000, 7},
        Readings{"unchanged_counters", 32, {{en0(500, 200)}, {en0(500, 200)}}, 0, 0},
        // A link that comes up with its whole lifetime's counters adds nothing; the others
        // keep counting.
        Readings{"link_comes_up",
                 64,
                 {{en0(100, 10)}, {en0(160, 15), link(9, "en1", 4'000'000'000, 17'500'000)}},
                 60,
                 5},
        Readings{
            "link_goes_down", 64, {{en0(100, 10), link(9, "en1", 900, 90)}, {en0(160, 15)}}, 60, 5},
        Readings{"link_back_after_being_down",
                 64,
                 {{en0(100, 10)}, {}, {en0(5'000'100, 500'010)}},
                 0,
                 0},
        Readings{
            "recreated_with_the_same_name", 64, {{en0(5000, 500)}, {link(5, "en0", 40, 4)}}, 0, 0},
        // An index that a removed interface had, now another one's: not a wrapped counter.
        Readings{"index_taken_over_by_another_name",
                 32,
                 {{en0(5000, 500)}, {link(4, "en5", 40, 4)}},
                 0,
                 0},
        Readings{"32_bit_wrap",
                 32,
                 {{en0(0xFFFF'FF00u, 0xFFFF'FFF0u)}, {en0(0x100, 0x10)}},
                 0x200,
                 0x20},
        Readings{"64_bit_counters_are_not_cut",
                 64,
                 {{en0(0xFFFF'FFF0u, 1)}, {en0(0x1'0000'0010u, 0x2'0000'0001u)}},
                 0x20,
                 0x2'0000'0000u},
        // Restarted 64-bit counters: that interface starts afresh, in both directions.
        Readings{"64_bit_reset",
                 64,
                 {{en0(5'000'000'000, 100), link(9, "en1", 10, 10)},
                  {en0(1000, 200), link(9, "en1", 20, 30)}},
                 10,
                 20},
        Readings{"measured_again_after_a_reset",
                 64,
                 {{en0(5'000'000'000, 100)}, {en0(1000, 200)}, {en0(1600, 250)}},
                 600,
                 50},
        Readings{"many_interfaces",
                 64,
                 {{link(1, "en0", 1, 1), link(2, "en1", 2, 2), link(3, "en2", 3, 3),
                   link(4, "en3", 4, 4), link(5, "pdp_ip0", 5, 5), link(6, "pdp_ip1", 6, 6)},
                  {link(6, "pdp_ip1", 66, 6), link(5, "pdp_ip0", 5, 55), link(3, "en2", 33, 3),
                   link(2, "en1", 2, 2), link(1, "en0", 11, 1), link(7, "en4", 7, 7)}},
                 10 + 30 + 60,
                 50}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NetworkSpeed, UnreadableInterfaceListKeepsTheBaselines) {
    simulated::resetSystem();
    auto& interfaces = simulated::system().interfaces;
    NetworkSpeed speed;
    interfaces = Reading{en0(1'000'000, 2'000'000)};
    speed.sample();

    interfaces.reset();
    const NetworkSample failed = speed.sample();
    EXPECT_EQ(failed.downloadBytesPerSec + failed.uploadBytesPerSec, 0.0);

    // Only the traffic since the last good reading, not the whole counters.
    interfaces = Reading{en0(1'000'300, 2'000'100)};
    const NetworkSample next = speed.sample();
    EXPECT_EQ(next.downloadBytesPerSec, 300.0);
    EXPECT_EQ(next.uploadBytesPerSec, 100.0);
}

} // namespace
} // namespace tarvo
