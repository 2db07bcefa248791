#pragma once

#include <string_view>

namespace tarvo::platform {

// The menu's hint under the temperature says where the figure comes from, so its texts belong to
// the temperature source that is linked in.
struct HintText {
    std::string_view zh;
    std::string_view en;
};

// From launch: how the temperature is read.
extern const HintText temperatureSourceHint;
// While no figure has come yet.
extern const HintText temperatureOpeningHint;
// When the source cannot be opened.
extern const HintText temperatureUnavailableHint;
// When the source opened but nothing could be started to poll it (a thread limit).
extern const HintText temperatureNotStartedHint;

} // namespace tarvo::platform
