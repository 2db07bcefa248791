#pragma once

#include <string_view>

namespace tarvo::terminal {

// Gives a closed standard input or error /dev/null, so that no descriptor of Tarvo's own lands
// on 0, 1 or 2 and is taken for one of them. False when standard output is closed: there is
// nowhere to show anything.
bool openStandardStreams();

// Says what went wrong on standard error and ends the process with a failure status.
[[noreturn]] void fail(std::string_view what);

} // namespace tarvo::terminal
