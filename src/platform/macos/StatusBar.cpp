#include "platform/StatusBar.h"
#include "platform/macos/Foundation.h"
#include "platform/macos/Objects.h"
#include "platform/macos/Runtime.h"
#include "platform/macos/Selectors.h"

namespace tarvo::platform {

using appkit::CGFloat;
using appkit::objectOf;
using appkit::send;

StatusBar StatusBar::system() {
    return StatusBar(ObjectRef::retain(
        send<id>(appkit::classes().nsStatusBar, appkit::selectors().systemStatusBar)));
}

StatusItem StatusBar::statusItemWithLength(double length) const {
    return StatusItem(ObjectRef::retain(
        send<id, CGFloat>(objectOf(native), appkit::selectors().statusItemWithLength, length)));
}

std::optional<Button> StatusItem::button() const {
    const id button = send<id>(objectOf(native), appkit::selectors().button);
    if (button == nil) {
        return std::nullopt;
    }
    return Button(ObjectRef::retain(button));
}

void StatusItem::setLength(double length) {
    send<void, CGFloat>(objectOf(native), appkit::selectors().setLength, length);
}

void StatusItem::setMenu(const Menu& menu) {
    send<void, id>(objectOf(native), appkit::selectors().setMenu, objectOf(menu.object()));
}

void Button::setTitle(std::string_view title) {
    const ObjectRef string = appkit::makeString(title);
    send<void, id>(objectOf(native), appkit::selectors().setTitle, objectOf(string));
}

void Button::setAccessibilityLabel(std::string_view label) {
    const ObjectRef string = appkit::makeString(label);
    send<void, id>(objectOf(native), appkit::selectors().setAccessibilityLabel, objectOf(string));
}

void Button::setImage(std::nullptr_t) {
    send<void, id>(objectOf(native), appkit::selectors().setImage, nil);
}

void Button::addSubview(const CustomView& view) {
    send<void, id>(objectOf(native), appkit::selectors().addSubview, objectOf(view.object()));
}

} // namespace tarvo::platform
