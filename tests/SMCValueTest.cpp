#include "samplers/SMCValue.h"
#include "samplers/FourCC.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::smc {
namespace {

TEST(FourCC, FirstOfFourCharactersIsMostSignificant) {
    EXPECT_EQ(fourCC("Tp01"), 0x54703031u);
    EXPECT_EQ(fourCC("flt "), 0x666C7420u);
    EXPECT_EQ(fourCC("Tp0"), 0x547030u);
    EXPECT_EQ(fourCC("xTp01"), 0x54703031u); // the first byte is shifted out
    EXPECT_EQ(fourCC(""), 0u);
}

struct Decoding {
    const char* name;
    const char* type;
    std::vector<std::uint8_t> bytes;
    std::optional<double> expected;
};

class SMCDecoding : public testing::TestWithParam<Decoding> {};

TEST_P(SMCDecoding, DecodesTheValueBytesOfItsType) {
    const Decoding& decoding = GetParam();
    EXPECT_EQ(decodeTemperature(fourCC(decoding.type), decoding.bytes), decoding.expected);
}

const std::optional<double> none;
constexpr double infinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Types, SMCDecoding,
    testing::Values(
        Decoding{"flt_little_endian", "flt ", {0x00, 0x00, 0x34, 0x42}, 45.0},
        Decoding{"flt_extra_bytes_ignored", "flt ", {0x00, 0x00, 0x34, 0x42, 0xFF, 0xFF}, 45.0},
        Decoding{"flt_three_bytes", "flt ", {0x00, 0x00, 0x34}, none},
        Decoding{"flt_infinity", "flt ", {0x00, 0x00, 0x80, 0x7F}, infinity},
        Decoding{"flt_minus_infinity", "flt ", {0x00, 0x00, 0x80, 0xFF}, -infinity},
        Decoding{"sp78_two_bytes", "sp78", {0x2D, 0x80}, 45.5},
        Decoding{"sp78_negative", "sp78", {0xFF, 0x00}, -1.0},
        Decoding{"sp78_lone_byte_unsigned", "sp78", {0x80}, 0.5},
        Decoding{"sp78_no_bytes", "sp78", {}, none},
        Decoding{"sp87_two_bytes", "sp87", {0x16, 0x80}, 45.0},
        Decoding{"sp87_lone_byte_unsigned", "sp87", {0x80}, 1.0},
        Decoding{"fpe2_big_endian_quarters", "fpe2", {0x00, 0xB4}, 45.0},
        Decoding{"fp2e_same_as_fpe2", "fp2e", {0x00, 0xB4}, 45.0},
        Decoding{"fpe2_negative", "fpe2", {0xFF, 0xFC}, -1.0},
        Decoding{"fpe2_lone_byte", "fpe2", {0xB4}, none},
        Decoding{"fp2e_lone_byte", "fp2e", {0xB4}, none},
        Decoding{"unknown_type", "ui16", {0x00, 0x2D}, none},
        Decoding{"type_case_matters", "FLT ", {0x00, 0x00, 0x34, 0x42}, none}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SMCDecoding, FloatNaNIsPassedOnForTheCallerToReject) {
    const std::vector<std::uint8_t> quietNaN{0x00, 0x00, 0xC0, 0x7F};
    const auto value = decodeTemperature(fourCC("flt "), quietNaN);
    ASSERT_TRUE(value.has_value());
    EXPECT_TRUE(std::isnan(*value));
}

} // namespace
} // namespace tarvo::smc
