#pragma once

#include "platform/SMCDriver.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace tarvo::simulated {

// How the simulated driver spoils one of the two calls for a key.
enum class SMCFault { none, callFails, resultNonzero };

// A key the simulated driver has: its value as the driver would hand it out, and its faults.
struct SMCKey {
    std::uint32_t dataType = 0;
    std::vector<std::uint8_t> bytes;
    // The size the key-information reply gives; the count of `bytes` when absent.
    std::optional<std::uint32_t> reportedSize = std::nullopt;
    SMCFault infoFault = SMCFault::none;
    SMCFault bytesFault = SMCFault::none;
};

// What the simulated AppleSMC driver holds and what it saw. Tests set it up before a reader starts
// and read it once the reader has stopped; the driver calls themselves may come from any thread.
struct SMCScript {
    bool hasService = true;
    std::map<std::uint32_t, SMCKey> keys; // by key code
    // How long each call is in flight; the handle must stay open all that time.
    std::chrono::microseconds callDuration{0};

    std::vector<platform::SMCParamRecord> requests; // every request received, in order
    int opens = 0;
    int closes = 0;
    int misuses = 0; // calls and closes on a handle that was not open, or closed mid-call
    platform::SMCConnection openHandle = 0;
    // Told "open", "call" and "close" as they happen, so a test can place them among other
    // events or act in the middle of a pass.
    std::function<void(const char* what)> observer;
};

// The one simulated driver of the process; resetSMC() gives it a fresh script.
SMCScript& smc();
void resetSMC();

} // namespace tarvo::simulated
