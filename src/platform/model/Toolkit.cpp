#include "platform/model/Toolkit.h"

#include <algorithm>
#include <array>
#include <locale>
#include <sstream>

namespace tarvo::model {

using platform::LayoutEdge;
using platform::Rect;

Toolkit& toolkit() {
    static Toolkit kit;
    return kit;
}

void resetToolkit() {
    toolkit() = Toolkit{};
}

namespace {

bool isPinned(const ViewNode& view, LayoutEdge edge) {
    const auto& constraints = toolkit().constraints;
    return std::any_of(constraints.begin(), constraints.end(), [&](const ConstraintNode& c) {
        const bool joinsTheTwo = (c.view == &view && c.other == view.superview) ||
                                 (c.view == view.superview && c.other == &view);
        return c.isActive && joinsTheTwo && c.edge == edge && c.otherEdge == edge;
    });
}

// A view that still translates its autoresizing mask keeps its frame, whatever else holds it.
bool fillsSuperview(const ViewNode& view) {
    constexpr std::array edges{LayoutEdge::leading, LayoutEdge::trailing, LayoutEdge::top,
                               LayoutEdge::bottom};
    return view.superview != nullptr && !view.translatesAutoresizingMaskIntoConstraints &&
           std::all_of(edges.begin(), edges.end(),
                       [&](LayoutEdge edge) { return isPinned(view, edge); });
}

} // namespace

double widthOf(const StatusItemNode& item) {
    if (item.length >= 0.0 || item.button == nullptr) {
        return std::max(item.length, 0.0);
    }
    for (const ViewNode* content : item.button->subviews) {
        if (content->callbacks != nullptr && content->callbacks->intrinsicContentSize &&
            fillsSuperview(*content)) {
            return content->callbacks->intrinsicContentSize().width;
        }
    }
    return 0.0;
}

// NOLINTNEXTLINE(misc-no-recursion): up the superviews, a few views deep.
Rect boundsOf(const ViewNode& view) {
    if (view.statusItem != nullptr) {
        return {0.0, 0.0, widthOf(*view.statusItem), statusBarThickness};
    }
    if (fillsSuperview(view)) {
        const Rect outer = boundsOf(*view.superview);
        return {0.0, 0.0, outer.width, outer.height};
    }
    return {0.0, 0.0, view.frame.width, view.frame.height};
}

bool displayIfNeeded(ViewNode& view) {
    if (view.callbacks == nullptr || !view.callbacks->draw) {
        return false;
    }
    const Rect bounds = boundsOf(view);
    if (!view.needsDisplay && view.drawnBounds == bounds) {
        return false;
    }
    view.needsDisplay = false;
    view.drawnBounds = bounds;
    view.drawn.clear();
    Toolkit& kit = toolkit();
    kit.canvas = &view.drawn;
    view.callbacks->draw(bounds);
    kit.canvas = nullptr;
    return true;
}

void send(const DelegateNode& delegate, std::string_view selector) {
    if (delegate.actions == nullptr) {
        return;
    }
    const platform::DelegateActions& actions = *delegate.actions;
    const std::function<void()>* action = selector == "applicationDidFinishLaunching:"
                                              ? &actions.applicationDidFinishLaunching
                                          : selector == "refreshNow" ? &actions.refreshNow
                                          : selector == "quit"       ? &actions.quit
                                                                     : nullptr;
    if (action != nullptr && *action) {
        (*action)();
    }
}

void launch() {
    if (const DelegateNode* delegate = toolkit().applicationDelegate) {
        send(*delegate, "applicationDidFinishLaunching:");
    }
}

void perform(const MenuItemNode& item) {
    if (item.isEnabled && !item.action.empty() && item.target != nullptr) {
        send(*item.target, item.action);
    }
}

const MenuItemNode* itemWithKeyEquivalent(std::string_view key) {
    for (const StatusItemNode& statusItem : toolkit().statusItems) {
        if (statusItem.menu == nullptr) {
            continue;
        }
        for (const MenuItemNode* item : statusItem.menu->items) {
            if (!item->isHidden && !item->isSeparator && item->keyEquivalent == key) {
                return item;
            }
        }
    }
    return nullptr;
}

std::string describe(std::string_view text) {
    return std::string(text);
}

std::string describe(const char* text) {
    return text;
}

std::string describe(double value) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << value;
    return text.str();
}

std::string describe(bool value) {
    return value ? "YES" : "NO";
}

std::string describe(const Rect& rect) {
    std::string text = "{";
    text.append(describe(rect.x)).append(", ").append(describe(rect.y)).append(", ");
    text.append(describe(rect.width)).append(", ").append(describe(rect.height)).append("}");
    return text;
}

} // namespace tarvo::model
