#pragma once

#include <cstdint>
#include <string_view>

namespace tarvo::smc {

// The 32-bit code of an SMC key or type text: each byte enters at the low end in turn, so the
// first of four characters ends up most significant ("Tp01" is 0x54703031) and bytes pushed past
// the top are lost.
constexpr std::uint32_t fourCC(std::string_view text) {
    std::uint32_t code = 0;
    for (const char c : text) {
        code = (code << 8) | static_cast<unsigned char>(c);
    }
    return code;
}

} // namespace tarvo::smc
