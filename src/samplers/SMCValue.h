#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tarvo::smc {

// The temperature in degrees Celsius that a key's value bytes hold, for the value types that
// carry temperatures ("flt ", "fpe2", "fp2e", "sp78", "sp87"); nothing for any other type or too
// few bytes. Plausibility is left to the caller: a float may well be NaN or infinite.
std::optional<double> decodeTemperature(std::uint32_t dataType,
                                        std::span<const std::uint8_t> bytes);

} // namespace tarvo::smc
