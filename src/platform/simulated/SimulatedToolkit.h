#pragma once

#include "platform/CustomView.h"
#include "platform/Geometry.h"
#include "platform/model/Toolkit.h"

#include <string_view>
#include <vector>

// The toolkit as tests drive it: the in-memory objects with every call logged, timers on the
// simulated main loop's manual clock, fonts with metrics the test chooses, and display passes
// that record what the views draw.
namespace tarvo::simulated {

// Every simulated font has these metrics, whatever its size, and sets each character (code
// point) `characterWidth` points wide.
struct FontScript {
    double ascender = 9.0;
    double descender = -2.0;
    double leading = 0.0;
    double characterWidth = 5.0;
};

// A fresh toolkit recording its calls, the default font script and a fresh main loop (the
// timers of the old toolkit go with the old loop). Wrappers of the old toolkit's objects must
// be gone by then: a delegate or a custom view reaches its object when destroyed.
void resetToolkit();

model::Toolkit& toolkit();
FontScript& fontScript();

// The calls made since the last reset, in order.
const std::vector<model::Call>& calls();

// Chooses the shown item with this title in a status item's menu, as a user would; false when
// no such item is shown. A disabled item or one without an action does nothing.
bool chooseMenuItem(std::string_view title);

// Types a key equivalent while the menu is open; false when no shown item has it.
bool pressKeyEquivalent(std::string_view key);

// Draws every custom view that needs display or whose bounds changed, as the toolkit does
// between events; returns what they drew, in order.
std::vector<model::DrawnText> displayPass();

// Gives a view a frame as a layout would, and marks it for display.
void setFrame(const platform::CustomView& view, platform::Rect frame);

} // namespace tarvo::simulated
