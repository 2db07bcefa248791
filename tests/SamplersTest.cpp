// The CPU load and network rate samplers: their arithmetic, their reads of the platform, and the
// interface list they read on a Mac.
#include "platform/macos/LoadRecords.h"
#include "platform/simulated/SimulatedSystem.h"
#include "samplers/CPUUsage.h"
#include "samplers/NetworkSpeed.h"
#include "support/DarwinInterfaces.h"

#include <gtest/gtest.h>
#include <limits>
#include <net/if.h>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace tarvo {

using platform::ProcessorTicks;

// Counters are (user, system, idle, nice); a busy share of -1 is "unavailable".
TEST(CPUUsage, MeasuresTheBusyShareSinceTheBaseline) {
    using Interval = std::tuple<const char*, ProcessorTicks, ProcessorTicks, double>; // busy share
    for (const auto& [name, baseline, next, busy] :
         {Interval{"since boot", {}, {30, 20, 450, 0}, 10.0},
          Interval{"no tick", {5, 5, 90, 0}, {5, 5, 90, 0}, 0.0},
          Interval{"all idle", {5, 5, 90, 0}, {5, 5, 190, 0}, 0.0},
          Interval{"no idle", {5, 5, 90, 0}, {55, 55, 90, 0}, 100.0},
          Interval{"nice is busy", {5, 5, 90, 0}, {5, 5, 90, 100}, 100.0},
          Interval{"busy backwards", {500, 0, 500, 0}, {400, 0, 500, 0}, -1.0},
          Interval{"idle backwards, total up", {0, 0, 500, 0}, {200, 0, 499, 0}, -1.0},
          Interval{"idle backwards, total the same", {0, 0, 500, 0}, {1, 0, 499, 0}, -1.0},
          Interval{"busy back, idle up past the total", {100, 0, 100, 0}, {40, 0, 200, 0}, -1.0},
          Interval{"past 2^32", {0xFFFFFFF0u, 0, 100, 0}, {0x100000010u, 0, 100, 0}, 100.0}}) {
        CPUUsage usage;
        usage.measure(baseline);
        EXPECT_DOUBLE_EQ(usage.measure(next), busy) << name;
    }
}

// A failed read leaves the baseline where it was; counters that went backwards move it.
TEST(CPUUsage, SampleReadsThePlatformAndMovesTheBaselineOnlyWithCounters) {
    simulated::resetSystem();
    CPUUsage usage;
    using Sample = std::tuple<const char*, std::optional<ProcessorTicks>, double>;
    for (const auto& [step, ticks, load] :
         {Sample{"since boot", ProcessorTicks{100, 0, 300, 0}, 25.0},
          Sample{"failed read", std::nullopt, -1.0},
          Sample{"since the last counters", ProcessorTicks{200, 0, 400, 0}, 50.0},
          Sample{"backwards", ProcessorTicks{10, 0, 10, 0}, -1.0},
          Sample{"since the backwards counters", ProcessorTicks{40, 0, 20, 0}, 75.0}}) {
        simulated::system().processorTicks = ticks;
        EXPECT_DOUBLE_EQ(usage.sample(), load) << step;
    }
}

// Two processors and a third that the count reports but the array lacks; counters past 2^31.
TEST(LoadRecords, SumsUserSystemIdleNiceOfTheProcessorsInTheArrayAsUnsigned) {
    const std::vector<std::int32_t> records{1,  2,  3,  4, std::numeric_limits<std::int32_t>::min(),
                                            -1, 30, 40, 7, 7};
    EXPECT_EQ(platform::sumLoadRecords(records, 3),
              (ProcessorTicks{0x80000001u, 0x100000001u, 33, 44}));
}

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

constexpr unsigned up = IFF_UP;
constexpr int link = platform::darwinLinkLayout.linkFamily;

TEST(InterfaceList, DarwinCountsOnlyUpLinkEntriesOfTrafficInterfaces) {
    std::string shown; // "index name:received/sent " for each counted interface
    for (const InterfaceCounters& c : platform::readDarwinList(
             {{"lo0", up | IFF_LOOPBACK, link, 1, 1000000, 1000000},
              {"en0", up, AF_INET, 0, 7, 7}, // an address entry of a counted interface
              {"en0", up, link, 4, 100, 10},
              {"en1", 0, link, 5, 5000, 5000}, // down
              {"pdp_ip0", up, link, 300, 0xFFFFFFFFu, 20},
              {"utun3", up, link, 6, 3000, 3000},
              {"awdl0", up, link, 7, 3000, 3000},
              {"vmenet0", up, link, 8, 3000, 3000},
              {"eth0", up, link, 9, 3000, 3000}, // a Linux name means nothing here
              {"en7", up, link, 10, 1, 2, /*hasData=*/false},
              {"en8", up, link, 11, 1, 2, true, /*hasAddress=*/false},
              {"EN9", up, link, 12, 1, 2}})) { // prefixes are case-sensitive
        shown += std::to_string(c.index) + " " + c.name.data() + ":" + std::to_string(c.received) +
                 "/" + std::to_string(c.sent) + " ";
    }
    EXPECT_EQ(shown, "4 en0:100/10 300 pdp_ip0:4294967295/20 ");
}

} // namespace
} // namespace tarvo
