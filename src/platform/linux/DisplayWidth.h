#pragma once

#include <string_view>

namespace tarvo::terminal {

// Columns a terminal gives `text` (UTF-8): two for wide East Asian characters, one for every
// other character, "°", "↑" and "↓" included.
int displayWidth(std::string_view text);

struct Fitted {
    std::string_view text;
    int columns;
};

// The longest start of `text` that fits in `columns`, never splitting a character.
Fitted fitColumns(std::string_view text, int columns);

} // namespace tarvo::terminal
