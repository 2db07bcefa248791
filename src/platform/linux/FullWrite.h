#pragma once

#include <string_view>

namespace tarvo::terminal {

enum class WriteOutcome { written, stalled, failed };

// Writes all of `bytes`. A descriptor that another program left non-blocking is waited for
// while it is full; when it takes nothing for a second the rest is given up (`stalled`).
// `failed` means the output is gone. Async-signal-safe.
WriteOutcome writeFully(int descriptor, std::string_view bytes);

} // namespace tarvo::terminal
