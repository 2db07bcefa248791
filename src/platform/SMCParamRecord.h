#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace tarvo::platform {

// The record the AppleSMC driver's user client takes and gives back in every call, as request
// and as reply. No SDK header declares it, so its layout is pinned here field by field. Fields
// are in host byte order; the reserved ones are zero in every request, and the three padding
// gaps (at 10, 37 and 43) are never written.
struct SMCParamRecord {
    std::uint32_t key = 0;
    std::array<std::uint8_t, 6> reserved4{};
    std::array<std::uint32_t, 4> reserved12{};
    std::uint32_t dataSize = 0;
    std::uint32_t dataType = 0;
    std::uint8_t reserved36 = 0;
    std::uint16_t reserved38 = 0;
    std::uint8_t result = 0;
    std::uint8_t reserved41 = 0;
    std::uint8_t command = 0;
    std::uint32_t reserved44 = 0;
    std::array<std::uint8_t, 32> bytes{};
};

static_assert(std::is_standard_layout_v<SMCParamRecord>);
static_assert(std::is_trivially_copyable_v<SMCParamRecord>);
static_assert(sizeof(SMCParamRecord) == 80);
static_assert(offsetof(SMCParamRecord, key) == 0);
static_assert(offsetof(SMCParamRecord, reserved4) == 4);
static_assert(offsetof(SMCParamRecord, reserved12) == 12);
static_assert(offsetof(SMCParamRecord, dataSize) == 28);
static_assert(offsetof(SMCParamRecord, dataType) == 32);
static_assert(offsetof(SMCParamRecord, reserved36) == 36);
static_assert(offsetof(SMCParamRecord, reserved38) == 38);
static_assert(offsetof(SMCParamRecord, result) == 40);
static_assert(offsetof(SMCParamRecord, reserved41) == 41);
static_assert(offsetof(SMCParamRecord, command) == 42);
static_assert(offsetof(SMCParamRecord, reserved44) == 44);
static_assert(offsetof(SMCParamRecord, bytes) == 48);

// The driver commands this program sends.
inline constexpr std::uint8_t smcReadKeyInfo = 9;
inline constexpr std::uint8_t smcReadKeyBytes = 5;

} // namespace tarvo::platform
