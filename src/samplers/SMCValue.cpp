#include "samplers/SMCValue.h"
#include "samplers/FourCC.h"

#include <cstring>

namespace tarvo::smc {

namespace {

// IEEE 754 single precision, least significant byte first.
double littleEndianFloat(std::span<const std::uint8_t> bytes) {
    const std::uint32_t bits = bytes[0] | (std::uint32_t{bytes[1]} << 8) |
                               (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
    static_assert(sizeof(float) == sizeof bits);
    float value = 0.0F;
    std::memcpy(&value, &bits, sizeof value); // the macOS 12 SDK's library has no std::bit_cast
    return value;
}

// Two's complement, most significant byte first.
double bigEndianSigned16(std::span<const std::uint8_t> bytes) {
    return static_cast<std::int16_t>((bytes[0] << 8) | bytes[1]);
}

// Signed fixed point over `scale`; a lone byte is read as unsigned.
std::optional<double> fixedPoint(std::span<const std::uint8_t> bytes, double scale) {
    switch (bytes.size()) {
    case 0:
        return std::nullopt;
    case 1:
        return bytes[0] / scale;
    default:
        return bigEndianSigned16(bytes) / scale;
    }
}

} // namespace

std::optional<double> decodeTemperature(std::uint32_t dataType,
                                        std::span<const std::uint8_t> bytes) {
    switch (dataType) {
    case fourCC("flt "):
        return bytes.size() >= 4 ? std::optional(littleEndianFloat(bytes)) : std::nullopt;
    case fourCC("fpe2"):
    case fourCC("fp2e"):
        return bytes.size() >= 2 ? std::optional(bigEndianSigned16(bytes) / 4.0) : std::nullopt;
    case fourCC("sp78"):
        return fixedPoint(bytes, 256.0);
    case fourCC("sp87"):
        return fixedPoint(bytes, 128.0);
    default:
        return std::nullopt;
    }
}

} // namespace tarvo::smc
