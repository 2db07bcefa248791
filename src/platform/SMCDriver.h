#pragma once

#include "platform/SMCParamRecord.h"

#include <cstdint>

namespace tarvo::platform {

// A connection to the AppleSMC driver's user client; 0 is no connection.
using SMCConnection = std::uint32_t;

// A new connection to the AppleSMC service, or 0 when there is no such service or it cannot be
// opened.
SMCConnection openSMC();

// One call on an open connection; true when the call itself succeeded and filled `reply`, whose
// `result` then carries the driver's verdict on the command.
bool callSMC(SMCConnection conn, const SMCParamRecord& request, SMCParamRecord& reply);

// Closes a connection that openSMC() returned.
void closeSMC(SMCConnection conn);

} // namespace tarvo::platform
