#pragma once

#include "platform/simulated/SimulatedSMC.h"
#include "samplers/FourCC.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace tarvo::simulated {

// A key of the given type text holding these value bytes.
inline SMCKey keyOf(const char* type, std::vector<std::uint8_t> bytes) {
    SMCKey key;
    key.dataType = smc::fourCC(type);
    key.bytes = std::move(bytes);
    return key;
}

// A key holding a temperature the way most sensors give it: a little-endian float.
inline SMCKey floatKey(float celsius) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &celsius, sizeof bits);
    return keyOf("flt ",
                 {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                  static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)});
}

} // namespace tarvo::simulated
