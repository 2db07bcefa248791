#include "platform/StatusBar.h"
#include "platform/model/Toolkit.h"

namespace tarvo::platform {

using model::MenuNode;
using model::StatusItemNode;
using model::ViewNode;

StatusBar StatusBar::system() {
    model::record("NSStatusBar", "systemStatusBar");
    return StatusBar(ObjectRef{});
}

StatusItem StatusBar::statusItemWithLength(double length) const {
    model::Toolkit& kit = model::toolkit();
    StatusItemNode& item = model::create(kit.statusItems, "statusItem");
    item.length = length;
    if (kit.statusItemsHaveButton) {
        ViewNode& button = model::create(kit.views, "button");
        button.statusItem = &item;
        item.button = &button;
    }
    model::record("NSStatusBar", "statusItemWithLength:", length);
    return StatusItem(model::refTo(item));
}

std::optional<Button> StatusItem::button() const {
    const StatusItemNode& item = model::nodeOf<StatusItemNode>(native);
    model::record(item.name, "button");
    if (item.button == nullptr) {
        return std::nullopt;
    }
    return Button(model::refTo(*item.button));
}

void StatusItem::setLength(double length) {
    StatusItemNode& item = model::nodeOf<StatusItemNode>(native);
    item.length = length;
    model::record(item.name, "setLength:", length);
}

void StatusItem::setMenu(const Menu& menu) {
    StatusItemNode& item = model::nodeOf<StatusItemNode>(native);
    item.menu = &model::nodeOf<MenuNode>(menu.object());
    model::record(item.name, "setMenu:", item.menu->name);
}

void Button::setTitle(std::string_view title) {
    ViewNode& button = model::nodeOf<ViewNode>(native);
    button.title = title;
    model::record(button.name, "setTitle:", title);
}

void Button::setAccessibilityLabel(std::string_view label) {
    ViewNode& button = model::nodeOf<ViewNode>(native);
    button.accessibilityLabel = label;
    model::record(button.name, "setAccessibilityLabel:", label);
}

void Button::setImage(std::nullptr_t) {
    model::record(model::nodeOf<ViewNode>(native).name, "setImage:", "nil");
}

void Button::addSubview(const CustomView& view) {
    ViewNode& button = model::nodeOf<ViewNode>(native);
    ViewNode& subview = model::nodeOf<ViewNode>(view.object());
    subview.superview = &button;
    button.subviews.push_back(&subview);
    model::record(button.name, "addSubview:", subview.name);
}

} // namespace tarvo::platform
