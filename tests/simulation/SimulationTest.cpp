#include "simulation/Simulation.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace tarvo::simulated {

// Each seed makes one script: launch to Quit through simulated days of ticks, refreshes, sleeps
// and faults. A failure names the seed that reproduces it.
TEST(Simulation, EveryFigureStaysTrueUnderSeededScripts) {
    for (const std::uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
        std::mt19937 random(seed);
        std::vector<std::uint8_t> script(12000);
        std::generate(script.begin(), script.end(), [&] { return std::uint8_t(random() >> 24); });
        EXPECT_EQ(simulate(script), "") << "seed " << seed;
    }
}

} // namespace tarvo::simulated
