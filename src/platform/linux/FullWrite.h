#pragma once

#include <atomic>
#include <string_view>

namespace tarvo::terminal {

enum class WriteOutcome { written, stalled, failed };

// Writes all of `bytes`. A full descriptor is waited for; when it takes nothing for a second,
// or as soon as `giveUp` is raised, the rest is given up (`stalled`). The signal that raises
// `giveUp` must interrupt the wait (no SA_RESTART). `failed` means the output is gone.
// Async-signal-safe.
WriteOutcome writeFully(int descriptor, std::string_view bytes, const std::atomic<bool>& giveUp);

} // namespace tarvo::terminal
