#include "platform/simulated/SimulatedToolkit.h"
#include "platform/simulated/ManualLoop.h"

#include <algorithm>

namespace tarvo::simulated {

void resetToolkit() {
    resetMainLoop();
    model::resetToolkit();
    model::toolkit().isRecordingCalls = true;
    fontScript() = FontScript{};
}

model::Toolkit& toolkit() {
    return model::toolkit();
}

FontScript& fontScript() {
    static FontScript script;
    return script;
}

const std::vector<model::Call>& calls() {
    return model::toolkit().calls;
}

bool chooseMenuItem(std::string_view title) {
    for (const model::StatusItemNode& statusItem : toolkit().statusItems) {
        if (statusItem.menu == nullptr) {
            continue;
        }
        const auto& items = statusItem.menu->items;
        const auto chosen =
            std::find_if(items.begin(), items.end(), [&](const model::MenuItemNode* item) {
                return !item->isHidden && !item->isSeparator && item->title == title;
            });
        if (chosen != items.end()) {
            model::perform(**chosen);
            return true;
        }
    }
    return false;
}

bool pressKeyEquivalent(std::string_view key) {
    const model::MenuItemNode* item = model::itemWithKeyEquivalent(key);
    if (item != nullptr) {
        model::perform(*item);
    }
    return item != nullptr;
}

std::vector<model::DrawnText> displayPass() {
    std::vector<model::DrawnText> drawn;
    for (model::ViewNode& view : toolkit().views) {
        if (model::displayIfNeeded(view)) {
            drawn.insert(drawn.end(), view.drawn.begin(), view.drawn.end());
        }
    }
    return drawn;
}

void setFrame(const platform::CustomView& view, platform::Rect frame) {
    model::ViewNode& node = model::nodeOf<model::ViewNode>(view.object());
    node.frame = frame;
    node.needsDisplay = true;
}

} // namespace tarvo::simulated
