#pragma once

#include "appkit/World.h"

#include <string_view>
#include <vector>

// What AppKit does between events, for the tests to bring about: layout and display of the
// status item, a click on it, a choice in its menu.
namespace tarvo::appkit::doubles {

// The status bar's first item that is still there; none when there is none.
id firstStatusItem();

// The first subview of the first status item's button.
id hostedView();

// The items of the first status item's menu, top to bottom.
std::vector<id> menuItems();

// The title of a menu item or button, or the text of a string.
std::string textOf(id string);

// Lays out the first status item's button, 22 points high and as long as the item (or, for a
// variable length, as wide as the intrinsic size that the view pinned to it gives), gives each
// view pinned to the button's four edges the button's bounds, then calls drawRect: of each
// subview that needs display, all in a pool. Returns the strings drawn.
std::vector<DrawnText> displayPass();

// A click in the middle of the status item: each subview of the button is asked hitTest:, and
// the menu opens (true) when none takes the click.
bool clickStatusItem();

// Chooses the shown, enabled item with this title in the open menu: the menu closes and the
// item's action goes to its target, in a pool. False when no such item is there.
bool chooseMenuItem(std::string_view title);

} // namespace tarvo::appkit::doubles
