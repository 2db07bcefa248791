#pragma once

#include "platform/simulated/SimulatedSMC.h"
#include "samplers/FourCC.h"

#include <cstring>

namespace tarvo::simulated {

// The CPU sensors that answer, in the order of the SMC's keys, each a float as most sensors give
// it (little-endian, like every host); the other keys are absent. The keys are spelt here, not
// taken from the program's list, so that a wrong or reordered key there shows.
inline void giveSensors(const std::vector<float>& celsius) {
    const char* keys[] = {"Tp01", "Tp05", "Tp09", "Tp0D", "Te05", "Te0S", "Te09", "Te0H"};
    smc().keys.clear();
    for (std::size_t i = 0; i < celsius.size(); ++i) {
        std::vector<std::uint8_t> bytes(sizeof(float));
        std::memcpy(bytes.data(), &celsius[i], bytes.size());
        smc().keys[smc::fourCC(keys[i])] = {.dataType = smc::fourCC("flt "), .bytes = bytes};
    }
}

} // namespace tarvo::simulated
