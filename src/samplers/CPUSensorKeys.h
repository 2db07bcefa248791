#pragma once

#include <array>
#include <string_view>

namespace tarvo::smc {

// The SMC keys of the processor's temperature sensors, in the order the poller reads them. The
// Linux driver answers the same keys, in the same order, from the kernel's CPU sensors.
inline constexpr std::array<std::string_view, 8> cpuTemperatureKeys{"Tp01", "Tp05", "Tp09", "Tp0D",
                                                                    "Te05", "Te0S", "Te09", "Te0H"};

// The SMC firmware's own average over the CPU die. Apple renames the core sensors above with each
// chip (an M5 has none of them), while every generation keeps this key: it stands in when no core
// sensor gives a reading. The Linux driver refuses it, like any key it lacks.
inline constexpr std::string_view cpuDieAverageKey{"TCMb"};

} // namespace tarvo::smc
