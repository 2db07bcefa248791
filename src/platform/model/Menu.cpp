#include "platform/Menu.h"
#include "platform/model/Toolkit.h"

namespace tarvo::platform {

using model::MenuItemNode;
using model::MenuNode;

MenuItem::MenuItem(std::string_view title, std::string_view action,
                   std::string_view keyEquivalent) {
    MenuItemNode& item = model::create(model::toolkit().menuItems, "menuItem");
    item.title = title;
    item.action = action;
    item.keyEquivalent = keyEquivalent;
    native = model::refTo(item);
    model::record(item.name, "initWithTitle:action:keyEquivalent:", title,
                  action.empty() ? std::string_view("nil") : action, keyEquivalent);
}

MenuItem MenuItem::separatorItem() {
    MenuItemNode& item = model::create(model::toolkit().menuItems, "menuItem");
    item.isSeparator = true;
    item.isEnabled = false;
    model::record("NSMenuItem", "separatorItem");
    return MenuItem(model::refTo(item));
}

void MenuItem::setTitle(std::string_view title) {
    MenuItemNode& item = model::nodeOf<MenuItemNode>(native);
    item.title = title;
    model::record(item.name, "setTitle:", title);
}

void MenuItem::setEnabled(bool enabled) {
    MenuItemNode& item = model::nodeOf<MenuItemNode>(native);
    item.isEnabled = enabled;
    model::record(item.name, "setEnabled:", enabled);
}

void MenuItem::setHidden(bool hidden) {
    MenuItemNode& item = model::nodeOf<MenuItemNode>(native);
    item.isHidden = hidden;
    model::record(item.name, "setHidden:", hidden);
}

void MenuItem::setTarget(const ApplicationDelegate& target) {
    MenuItemNode& item = model::nodeOf<MenuItemNode>(native);
    item.target = &model::nodeOf<model::DelegateNode>(target.object());
    model::record(item.name, "setTarget:", item.target->name);
}

Menu::Menu() {
    MenuNode& menu = model::create(model::toolkit().menus, "menu");
    native = model::refTo(menu);
    model::record(menu.name, "init");
}

void Menu::addItem(const MenuItem& item) {
    MenuNode& menu = model::nodeOf<MenuNode>(native);
    menu.items.push_back(&model::nodeOf<MenuItemNode>(item.object()));
    model::record(menu.name, "addItem:", menu.items.back()->name);
}

} // namespace tarvo::platform
