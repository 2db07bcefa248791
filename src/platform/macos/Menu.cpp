#include "platform/Menu.h"
#include "platform/macos/Objects.h"
#include "platform/macos/Runtime.h"
#include "platform/macos/Selectors.h"

#include <string>

namespace tarvo::platform {

using appkit::objectOf;
using appkit::send;

MenuItem::MenuItem(std::string_view title, std::string_view action,
                   std::string_view keyEquivalent) {
    const appkit::Selectors& s = appkit::selectors();
    const ObjectRef titleString = appkit::makeString(title);
    const ObjectRef keyString = appkit::makeString(keyEquivalent);
    const SEL selector = action.empty() ? nullptr : sel_registerName(std::string(action).c_str());
    const id item = send<id>(appkit::classes().nsMenuItem, s.alloc);
    native = ObjectRef::adopt(send<id, id, SEL, id>(item, s.initWithTitleActionKeyEquivalent,
                                                    objectOf(titleString), selector,
                                                    objectOf(keyString)));
}

MenuItem MenuItem::separatorItem() {
    return MenuItem(ObjectRef::retain(
        send<id>(appkit::classes().nsMenuItem, appkit::selectors().separatorItem)));
}

void MenuItem::setTitle(std::string_view title) {
    const ObjectRef string = appkit::makeString(title);
    send<void, id>(objectOf(native), appkit::selectors().setTitle, objectOf(string));
}

void MenuItem::setEnabled(bool enabled) {
    send<void, BOOL>(objectOf(native), appkit::selectors().setEnabled, enabled);
}

void MenuItem::setHidden(bool hidden) {
    send<void, BOOL>(objectOf(native), appkit::selectors().setHidden, hidden);
}

void MenuItem::setTarget(const ApplicationDelegate& target) {
    send<void, id>(objectOf(native), appkit::selectors().setTarget, objectOf(target.object()));
}

Menu::Menu() {
    const appkit::Selectors& s = appkit::selectors();
    native = ObjectRef::adopt(send<id>(send<id>(appkit::classes().nsMenu, s.alloc), s.init));
}

void Menu::addItem(const MenuItem& item) {
    send<void, id>(objectOf(native), appkit::selectors().addItem, objectOf(item.object()));
}

} // namespace tarvo::platform
