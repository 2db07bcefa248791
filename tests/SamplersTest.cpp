// The CPU load and network rate samplers: their arithmetic, their reads of the platform, and the
// interface list and clock they read on a Mac.
#include "platform/macos/InterfaceMessages.h"
#include "platform/macos/LoadRecords.h"
#include "platform/macos/Timebase.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSystem.h"
#include "samplers/CPUUsage.h"
#include "samplers/NetworkSpeed.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

// Each row: the ticks, the timebase's numer and denom, and the seconds they make.
TEST(Timebase, ConvertsTicksToSecondsWithoutOverflowOrCutFractions) {
    using Row = std::tuple<const char*, std::uint64_t, std::uint32_t, std::uint32_t, double>;
    for (const auto& [name, ticks, numer, denom, seconds] :
         {Row{"Apple silicon: a second", 24'000'000, 125, 3, 1.0},
          Row{"Apple silicon: a tick", 1, 125, 3, 4.1666666666666667e-8},
          Row{"Apple silicon: a year and a tick", 756'864'000'000'001, 125, 3,
              31'536'000.000000042},
          Row{"Apple silicon: ticks x 125 past 2^64", 150'000'000'000'000'000, 125, 3, 6.25e9},
          Row{"1/1: a nanosecond", 1, 1, 1, 1e-9},
          Row{"1/1: 2^64 - 1", 18'446'744'073'709'551'615u, 1, 1, 18'446'744'073.709552}}) {
        EXPECT_DOUBLE_EQ(platform::timebaseSeconds(ticks, numer, denom), seconds) << name;
    }
}

// A timebase that could not be read is all zeros.
TEST(Timebase, WithoutATimebaseIsNotANumber) {
    EXPECT_TRUE(std::isnan(platform::timebaseSeconds(24'000'000, 0, 0)));
}

namespace {

using platform::InterfaceCounters;
using Reading = std::vector<InterfaceCounters>;

using Bytes = std::uint64_t;
const auto en0 = [](Bytes in, Bytes out) { return InterfaceCounters{4, {"en0"}, in, out}; };
const auto en1 = [](Bytes in, Bytes out) { return InterfaceCounters{9, {"en1"}, in, out}; };
const auto rates = [](auto s) { return std::pair(s.downloadBytesPerSec, s.uploadBytesPerSec); };

// Readings fed a second apart to a new sampler, and what the last one must report: a link that
// comes up, goes down, comes back or is re-created (a new index, or its index taken by another
// name) only sets its baseline, the others keep counting; reordered; 64-bit counters uncut;
// restarted counters, in either direction, start afresh; first sight. Each row: its name, the
// download and upload rates.
TEST(NetworkSpeed, MeasuresEachInterfaceAgainstItsOwnBaseline) {
    using Case = std::tuple<const char*, double, double, std::vector<Reading>>;
    for (const auto& [name, down, up, readings] :
         {Case{"up", 60, 5, {{en0(100, 10)}, {en0(160, 15), en1(4e9, 1e7)}}},
          Case{"down", 60, 5, {{en0(100, 10), en1(900, 90)}, {en0(160, 15)}}},
          Case{"back", 0, 0, {{en0(100, 10)}, {}, {en0(5'000'100, 500'010)}}},
          Case{"new index", 0, 0, {{en0(5000, 500)}, {{5, {"en0"}, 7000, 700}}}},
          Case{"index renamed", 0, 0, {{en0(5000, 500)}, {{4, {"pdp_ip0"}, 40, 4}}}},
          Case{"reordered", 50, 21, {{en0(1, 1), en1(2, 2)}, {en1(12, 22), en0(41, 2)}}},
          Case{"64 bits uncut", 32, 1, {{en0(0xFFFF'FFF0u, 1)}, {en0(0x1'0000'0010u, 2)}}},
          Case{"rx reset", 10, 20, {{en0(9000, 9), en1(1, 1)}, {en0(1000, 20), en1(11, 21)}}},
          Case{"tx reset", 10, 20, {{en0(9, 9000), en1(1, 1)}, {en0(20, 1000), en1(11, 21)}}},
          Case{"first sight", 0, 0, {{en0(4'000'000'000, 17'500'000)}}}}) {
        NetworkSpeed speed;
        NetworkSample last;
        double seconds = 0;
        for (const Reading& reading : readings) {
            last = speed.measure(reading, seconds++);
        }
        EXPECT_EQ(rates(last), std::pair(down, up)) << name;
    }
}

using Timed = std::tuple<const char*, std::vector<double>, std::vector<Bytes>, std::vector<double>>;

// Each row: the clock's readings and the received counter at each, and the download rate every
// sample must report. Where no span can be measured: zeros, never a division by zero, and the
// baselines stay; a clock that went back starts afresh.
TEST(NetworkSpeed, DividesTheBytesByTheSecondsSinceThePreviousReading) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [name, times, received, expected] :
         {Timed{"ten seconds", {7, 17}, {0, 20'000'000}, {0, 2'000'000}},
          Timed{"no span: kept", {0, 0, 1e-7, nan, 1}, {0, 1, 2, 3, 201}, {0, 0, 0, 0, 201}},
          Timed{"clock back: afresh", {5, 6, 4, 5}, {0, 100, 300, 400}, {0, 100, 0, 100}}}) {
        NetworkSpeed speed;
        for (std::size_t i = 0; i < times.size(); ++i) {
            EXPECT_EQ(speed.measure(Reading{en0(received[i], 0)}, times[i]).downloadBytesPerSec,
                      expected[i])
                << name << " at " << times[i];
        }
    }
}

// Only the traffic since the last good reading, over the time since it, not the whole counters.
TEST(NetworkSpeed, UnreadableInterfaceListKeepsTheBaselines) {
    simulated::resetSystem();
    NetworkSpeed speed;
    simulated::system().interfaces = Reading{en0(1'000'000, 2'000'000)};
    speed.sample();
    simulated::mainLoop().advance(2.0);
    simulated::system().interfaces.reset();
    EXPECT_EQ(rates(speed.sample()), std::pair(0.0, 0.0));
    simulated::system().interfaces = Reading{en0(1'000'300, 2'000'100)};
    EXPECT_EQ(rates(speed.sample()), std::pair(150.0, 50.0));
}

// An interface's link address as the kernel keeps it: its name, its type (sdl_type: IFT_ETHER 6,
// IFT_LOOP 24, IFT_OTHER 1, IFT_CELLULAR 255) and its hardware address, if it has one.
struct Link {
    std::string_view name;
    std::uint8_t type;
    std::string_view hardware = "";
};
constexpr std::string_view mac = "\xa4\x83\xe7\x2b\x5c\x01";

// A message of a Mac's interface list as its kernel lays it out: a 160-byte if_msghdr2 (length
// at 0, version 5 at 2, type 18 at 3, the addresses it carries at 4: RTA_IFP, flags at 8, index
// at 12, received bytes at 96, sent bytes at 104), then the interface's sockaddr_dl: its length
// at 0, AF_LINK (18) at 1, the index at 2, the type at 4, the lengths of the name, the hardware
// address and the selector at 5, 6 and 7, then the name and the hardware address from 8; 20
// bytes at least, padded to a multiple of 4. So en0's message is 180 bytes, bridge0's 184.
std::vector<std::uint8_t> interfaceMessage(Link link, std::uint32_t flags, std::uint16_t index,
                                           Bytes in, Bytes out) {
    const std::size_t data = 8 + link.name.size() + link.hardware.size();
    const std::size_t addressLength = std::max<std::size_t>(20, (data + 3) / 4 * 4);
    const auto length = static_cast<std::uint16_t>(160 + addressLength);
    std::vector<std::uint8_t> message(length);
    std::memcpy(&message[0], &length, 2);
    message[2] = 5, message[3] = 18, message[4] = 0x10;
    std::memcpy(&message[8], &flags, 4);
    std::memcpy(&message[12], &index, 2);
    std::memcpy(&message[96], &in, 8);
    std::memcpy(&message[104], &out, 8);
    message[160] = static_cast<std::uint8_t>(addressLength), message[161] = 18;
    std::memcpy(&message[162], &index, 2);
    message[164] = link.type;
    message[165] = static_cast<std::uint8_t>(link.name.size());
    message[166] = static_cast<std::uint8_t>(link.hardware.size());
    std::memcpy(&message[168], link.name.data(), link.name.size());
    std::memcpy(&message[168 + link.name.size()], link.hardware.data(), link.hardware.size());
    return message;
}

// Counters past 2^32; between the interfaces, an address message (RTM_NEWADDR, type 12: a 20-byte
// ifa_msghdr and en0's IPv4 address, a 16-byte sockaddr_in) and a 184-byte message, so that a
// walk stepping by anything but each message's length loses its way.
TEST(InterfaceMessages, CountsUpTrafficInterfacesAndSkipsOtherMessages) {
    std::vector<std::uint8_t> list, address(36);
    address[0] = 36, address[2] = 5, address[3] = 12, address[4] = 0x20, address[12] = 4;
    address[20] = 16, address[21] = 2, address[24] = 192, address[25] = 168, address[27] = 20;
    for (const auto& message :
         {interfaceMessage({"lo0", 24}, IFF_UP | IFF_LOOPBACK, 1, 1000, 1000),
          interfaceMessage({"en0", 6, mac}, IFF_UP, 4, 0x1'2345'6789, 0x2'0000'0001), address,
          interfaceMessage({"en1", 6, mac}, 0, 5, 5000, 5000),
          interfaceMessage({"bridge0", 209, mac}, IFF_UP, 7, 3000, 3000),
          interfaceMessage({"utun3", 1}, IFF_UP, 6, 3000, 3000),
          interfaceMessage({"pdp_ip0", 255}, IFF_UP, 300, 7, 20)}) {
        list.insert(list.end(), message.begin(), message.end());
    }
    Reading reading(1); // replaced, not added to
    ASSERT_TRUE(platform::readInterfaceMessages(list, reading));
    std::string shown; // "index name:received/sent " for each counted interface
    for (const InterfaceCounters& c : reading) {
        shown += std::to_string(c.index) + " " + c.name.data() + ":" + std::to_string(c.received) +
                 "/" + std::to_string(c.sent) + " ";
    }
    EXPECT_EQ(shown, "4 en0:4886718345/8589934593 300 pdp_ip0:7/20 ");
}

// Each list is its own allocation, so that the address sanitizer sees any read past its end.
TEST(InterfaceMessages, AMalformedMessageFailsTheReading) {
    const auto en0 = interfaceMessage({"en0", 6, mac}, IFF_UP, 4, 100, 10); // 180 bytes
    const auto with = [&](std::size_t at, std::uint8_t value, std::size_t size = 180) {
        std::vector<std::uint8_t> list(size);
        std::copy_n(en0.begin(), std::min<std::size_t>(size, 180), list.begin());
        list[at] = value;
        return list;
    };
    using Row = std::pair<const char*, std::vector<std::uint8_t>>;
    for (const auto& [name, list] :
         {Row{"length zero", with(180, 0, 184)}, Row{"length past the list", with(0, 181)},
          Row{"shorter than its header", with(0, 150, 150)},
          Row{"no room for its address", with(0, 164, 164)},
          Row{"address past the message", with(160, 21)},
          Row{"name past its address", with(160, 10)},
          Row{"a byte after the last message", with(180, 0, 181)}}) {
        Reading reading;
        EXPECT_FALSE(platform::readInterfaceMessages(list, reading)) << name;
    }
}

// The address and the message both end where a name would begin: well formed, nothing to count.
TEST(InterfaceMessages, AnAddressWithoutANameEndingTheListIsSkipped) {
    auto list = interfaceMessage({"", 6}, IFF_UP, 4, 100, 10);
    list.resize(168);
    list[0] = 168, list[160] = 8;
    Reading reading;
    EXPECT_TRUE(platform::readInterfaceMessages(list, reading));
    EXPECT_TRUE(reading.empty());
}

} // namespace
} // namespace tarvo
