#include "platform/linux/Keys.h"
#include "platform/Application.h"
#include "platform/model/Toolkit.h"

#include <string_view>

namespace tarvo::terminal {

namespace {
constexpr char controlC = '\x03';
}

void pressKey(char key) {
    if (key == controlC) {
        platform::Application::shared().terminate();
    } else if (const model::MenuItemNode* item = model::itemWithKeyEquivalent({&key, 1})) {
        model::perform(*item);
    }
}

} // namespace tarvo::terminal
