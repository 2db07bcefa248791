#include "samplers/NetworkSpeed.h"
#include "platform/simulated/SimulatedSystem.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

using platform::InterfaceTotals;

void expectSample(const NetworkSample& sample, double down, double up) {
    EXPECT_EQ(sample.downloadBytesPerSec, down);
    EXPECT_EQ(sample.uploadBytesPerSec, up);
}

TEST(NetworkSpeed, FirstSampleSetsTheBaselineAndReportsNothing) {
    NetworkSpeed speed;
    expectSample(speed.measure({123456789, 987654321}), 0.0, 0.0);
    expectSample(speed.measure({123456789, 987654321}), 0.0, 0.0);
    expectSample(speed.measure({123456799, 987654331}), 10.0, 10.0);
}

TEST(NetworkSpeed, WorkedExampleAndSharedResetVerdict) {
    NetworkSpeed speed;
    speed.measure({500, 200});
    expectSample(speed.measure({560, 205}), 60.0, 5.0);
    // Received went backwards while sent grew: both zero, both baselines move.
    expectSample(speed.measure({30, 210}), 0.0, 0.0);
    expectSample(speed.measure({40, 230}), 10.0, 20.0);
}

TEST(NetworkSpeed, DirectionsAreNeverCrossed) {
    NetworkSpeed speed;
    speed.measure({0, 0});
    expectSample(speed.measure({2500000, 7}), 2500000.0, 7.0);
}

TEST(NetworkSpeed, UnreadableInterfaceListKeepsTheBaseline) {
    simulated::resetSystem();
    auto& system = simulated::system();
    NetworkSpeed speed;
    system.interfaceTotals = InterfaceTotals{1'000'000, 2'000'000};
    expectSample(speed.sample(), 0.0, 0.0);

    system.interfaceTotals.reset();
    expectSample(speed.sample(), 0.0, 0.0);

    // Only the traffic since the last good snapshot, not the whole counters.
    system.interfaceTotals = InterfaceTotals{1'000'300, 2'000'100};
    expectSample(speed.sample(), 300.0, 100.0);
}

TEST(NetworkSpeed, EmptyInterfaceListIsASnapshotOfZeros) {
    simulated::resetSystem();
    auto& system = simulated::system();
    NetworkSpeed speed;
    system.interfaceTotals = InterfaceTotals{500, 500};
    speed.sample();
    system.interfaceTotals = InterfaceTotals{};
    expectSample(speed.sample(), 0.0, 0.0);
    system.interfaceTotals = InterfaceTotals{40, 50};
    expectSample(speed.sample(), 40.0, 50.0);
}

} // namespace
} // namespace tarvo
