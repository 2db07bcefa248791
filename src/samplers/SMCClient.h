#pragma once

#include "platform/SMCDriver.h"

#include <optional>
#include <string_view>

namespace tarvo::smc {

// Reads one key on an open connection: its size and type, then its value bytes, decoded as a
// temperature. Nothing when either call fails, the driver refuses the key, the size does not fit
// the record, or the value is not a temperature type.
std::optional<double> readKey(platform::SMCConnection conn, std::string_view key);

} // namespace tarvo::smc
