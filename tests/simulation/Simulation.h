#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarvo::simulated {

// Runs the whole program from launch to Quit under the events that `script` encodes (any bytes
// make a script), and checks what it shows after every tick and every temperature callback
// against what the driver knows it put into the simulated Mac. Empty when every check held; else
// the tick, the time and the first invariant broken.
std::string simulate(std::span<const std::uint8_t> script);

} // namespace tarvo::simulated
