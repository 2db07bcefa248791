#include "platform/linux/Keys.h"
#include "platform/Application.h"
#include "platform/model/Toolkit.h"

#include <csignal>
#include <string_view>

namespace tarvo::terminal {

namespace {
constexpr char controlC = '\x03';
constexpr char controlZ = '\x1a';
} // namespace

void pressKey(char key) {
    if (key == controlC) {
        platform::Application::shared().terminate();
    } else if (key == controlZ) {
        // To the whole process group, as the terminal itself would send it.
        kill(0, SIGTSTP);
    } else if (const model::MenuItemNode* item = model::itemWithKeyEquivalent({&key, 1})) {
        model::perform(*item);
    }
}

} // namespace tarvo::terminal
