#include "samplers/SMCClient.h"
#include "platform/simulated/SimulatedSMC.h"
#include "samplers/FourCC.h"
#include "support/SMCKeys.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::smc {
namespace {

using platform::SMCParamRecord;
using simulated::keyOf;
using simulated::SMCFault;
using simulated::SMCKey;
using Bytes = std::array<std::uint8_t, sizeof(SMCParamRecord)>;

constexpr std::array paddingOffsets{10, 11, 37, 43};

// The record as the driver sees it, with the padding (whose contents do not matter) zeroed.
Bytes bytesOf(const SMCParamRecord& record) {
    Bytes bytes;
    std::memcpy(bytes.data(), &record, bytes.size());
    for (const int offset : paddingOffsets) {
        bytes[offset] = 0;
    }
    return bytes;
}

platform::SMCConnection openScriptedSMC(const std::string& key, const SMCKey& value) {
    simulated::resetSMC();
    simulated::smc().keys[fourCC(key)] = value;
    return platform::openSMC();
}

TEST(SMCClient, SendsKeyInformationThenKeyBytesRequestsByteForByte) {
    const auto conn = openScriptedSMC("Tp01", keyOf("sp78", {0x2D, 0x80}));
    EXPECT_EQ(readKey(conn, "Tp01"), 45.5);

    const auto& requests = simulated::smc().requests;
    ASSERT_EQ(requests.size(), 2u);
    Bytes info{};
    info[0] = 0x31, info[1] = 0x30, info[2] = 0x70, info[3] = 0x54;
    info[42] = 9;
    EXPECT_EQ(bytesOf(requests[0]), info);

    // The size learnt from the first reply is carried; the type is not.
    Bytes keyBytes = info;
    keyBytes[28] = 2;
    keyBytes[42] = 5;
    EXPECT_EQ(bytesOf(requests[1]), keyBytes);
}

TEST(SMCClient, SizeOfThirtyTwoUsesTheWholeValueField) {
    SMCKey key = keyOf("flt ", std::vector<std::uint8_t>(32, 0));
    key.bytes[2] = 0x34, key.bytes[3] = 0x42;
    const auto conn = openScriptedSMC("Te05", key);
    EXPECT_EQ(readKey(conn, "Te05"), 45.0);
    ASSERT_EQ(simulated::smc().requests.size(), 2u);
    EXPECT_EQ(simulated::smc().requests[1].dataSize, 32u);
}

struct Failure {
    const char* name;
    SMCKey key;
    std::size_t expectedCalls;
};

class SMCClientFailure : public testing::TestWithParam<Failure> {};

TEST_P(SMCClientFailure, KeyYieldsNothing) {
    const Failure& failure = GetParam();
    const auto conn = openScriptedSMC("Tp05", failure.key);
    EXPECT_EQ(readKey(conn, "Tp05"), std::nullopt);
    EXPECT_EQ(simulated::smc().requests.size(), failure.expectedCalls);
}

SMCKey withFaults(SMCFault info, SMCFault bytes) {
    SMCKey key = keyOf("sp78", {0x2D, 0x80});
    key.infoFault = info;
    key.bytesFault = bytes;
    return key;
}

SMCKey reportingSize(std::uint32_t size) {
    SMCKey key = keyOf("sp78", {0x2D, 0x80});
    key.reportedSize = size;
    return key;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SMCClientFailure,
    testing::Values(
        Failure{"info_call_fails", withFaults(SMCFault::callFails, SMCFault::none), 1},
        Failure{"info_result_nonzero", withFaults(SMCFault::resultNonzero, SMCFault::none), 1},
        Failure{"size_zero", reportingSize(0), 1},
        Failure{"size_beyond_the_field", reportingSize(33), 1},
        Failure{"bytes_call_fails", withFaults(SMCFault::none, SMCFault::callFails), 2},
        Failure{"bytes_result_nonzero", withFaults(SMCFault::none, SMCFault::resultNonzero), 2},
        Failure{"unknown_type", keyOf("ui8 ", {0x2D}), 2},
        Failure{"too_few_bytes", keyOf("flt ", {0x00, 0x00, 0x34}), 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SMCClient, KeyTheDriverDoesNotHaveCostsOneCall) {
    const auto conn = openScriptedSMC("Tp01", keyOf("sp78", {0x2D, 0x80}));
    EXPECT_EQ(readKey(conn, "Tp09"), std::nullopt);
    EXPECT_EQ(simulated::smc().requests.size(), 1u);
}

} // namespace
} // namespace tarvo::smc
