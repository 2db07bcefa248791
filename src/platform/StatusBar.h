#pragma once

#include "platform/CustomView.h"
#include "platform/Layout.h"
#include "platform/Menu.h"
#include "platform/ObjectRef.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace tarvo::platform {

// The length that makes a status item as wide as its content.
inline constexpr double variableStatusItemLength = -1.0;

// The clickable part of a status item (NSStatusBarButton); a click opens the item's menu.
class Button {
public:
    explicit Button(ObjectRef object) : native(std::move(object)) {}

    void setTitle(std::string_view title);
    // What VoiceOver says of the button, whose view draws text the accessibility tree never sees.
    void setAccessibilityLabel(std::string_view label);
    // No image: the program never shows one.
    void setImage(std::nullptr_t);
    // The button keeps the view.
    void addSubview(const CustomView& view);
    LayoutAnchor anchor(LayoutEdge edge) const { return {native, edge}; }

    const ObjectRef& object() const { return native; }

private:
    ObjectRef native;
};

// An item in the system status bar (NSStatusItem); it stays there while referenced.
class StatusItem {
public:
    explicit StatusItem(ObjectRef object) : native(std::move(object)) {}

    // None on a system that gives the item no button.
    std::optional<Button> button() const;
    // Width in points.
    void setLength(double length);
    // The item keeps the menu and opens it on a click.
    void setMenu(const Menu& menu);

    const ObjectRef& object() const { return native; }

private:
    ObjectRef native;
};

class StatusBar {
public:
    explicit StatusBar(ObjectRef object) : native(std::move(object)) {}

    static StatusBar system();

    // A new item, at the end of the bar.
    StatusItem statusItemWithLength(double length) const;

private:
    ObjectRef native;
};

} // namespace tarvo::platform
