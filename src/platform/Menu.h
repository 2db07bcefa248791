#pragma once

#include "platform/Application.h"
#include "platform/ObjectRef.h"

#include <string_view>

namespace tarvo::platform {

// One line of a menu (NSMenuItem). Enabled and shown until told otherwise.
class MenuItem {
public:
    // initWithTitle:action:keyEquivalent:. The action is a selector name sent to the target when
    // the user chooses the item; an empty one is none, and choosing the item does nothing.
    MenuItem(std::string_view title, std::string_view action, std::string_view keyEquivalent);
    explicit MenuItem(ObjectRef object) : native(std::move(object)) {}

    static MenuItem separatorItem();

    void setTitle(std::string_view title);
    void setEnabled(bool enabled);
    void setHidden(bool hidden);
    // The item does not keep its target alive.
    void setTarget(const ApplicationDelegate& target);

    const ObjectRef& object() const { return native; }

private:
    ObjectRef native;
};

// A drop-down menu (NSMenu): its items in the order added.
class Menu {
public:
    // An empty menu with no title.
    Menu();

    // The menu keeps the item.
    void addItem(const MenuItem& item);

    const ObjectRef& object() const { return native; }

private:
    ObjectRef native;
};

} // namespace tarvo::platform
