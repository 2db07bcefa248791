#include "appkit/Driving.h"
#include "platform/macos/Runtime.h"

#include <algorithm>
#include <set>
#include <string>

namespace tarvo::appkit::doubles {

namespace {

constexpr CGFloat statusBarThickness = 22.0;

ViewState& buttonOf(id item) {
    const id button = world().state<StatusItemState>(item).button.get();
    if (button == nil) {
        fail("the status item has no button");
    }
    return world().state<ViewState>(button);
}

// Whether the button's constraints pin `view` to its four edges.
bool isPinned(id view, const ViewState& button) {
    std::set<std::string> edges;
    for (const Strong& held : button.constraints) {
        const ConstraintState& constraint = world().state<ConstraintState>(held.get());
        if (constraint.isActive && constraint.first.view == view &&
            constraint.first.edge == constraint.second.edge) {
            edges.insert(constraint.first.edge);
        }
    }
    return edges.size() == 4;
}

// Auto layout asks the pinned view for its intrinsic size, which makes the width of a variable
// length item.
CGFloat buttonWidth(id item, const ViewState& button) {
    CGFloat width = 0.0;
    for (const Strong& subview : button.subviews) {
        if (isPinned(subview.get(), button)) {
            width = send<CGSize>(subview.get(), sel_registerName("intrinsicContentSize")).width;
        }
    }
    const CGFloat length = world().state<StatusItemState>(item).length;
    return length >= 0.0 ? length : width;
}

bool sameRect(const CGRect& a, const CGRect& b) {
    return toRect(a) == toRect(b);
}

void layOut(id item) {
    ViewState& button = buttonOf(item);
    button.frame = {{0.0, 0.0}, {buttonWidth(item, button), statusBarThickness}};
    const CGRect bounds{{0.0, 0.0}, button.frame.size};
    for (const Strong& subview : button.subviews) {
        if (!isPinned(subview.get(), button)) {
            continue;
        }
        ViewState& view = world().state<ViewState>(subview.get());
        if (view.translatesAutoresizingMaskIntoConstraints) {
            fail(describeObject(subview.get()) +
                 " is pinned, but its autoresizing mask's constraints contradict the pins");
        }
        if (!sameRect(view.frame, bounds)) {
            view.frame = bounds;
            view.needsDisplay = true;
        }
    }
}

void draw(id view) {
    World& current = world();
    ViewState& state = current.state<ViewState>(view);
    state.needsDisplay = false;
    current.drawingView = view;
    send<void, CGRect>(view, sel_registerName("drawRect:"), {{0.0, 0.0}, state.frame.size});
    current.drawingView = nil;
}

} // namespace

id firstStatusItem() {
    for (id item : world().state<StatusBarState>(world().statusBar).items) {
        if (!world().record(item).isDeallocated) {
            return item;
        }
    }
    return nil;
}

id hostedView() {
    return buttonOf(firstStatusItem()).subviews.at(0).get();
}

std::vector<id> menuItems() {
    std::vector<id> items;
    const id menu = world().state<StatusItemState>(firstStatusItem()).menu.get();
    for (const Strong& item : world().state<MenuState>(menu).items) {
        items.push_back(item.get());
    }
    return items;
}

std::string textOf(id object) {
    if (const auto* item = std::get_if<MenuItemState>(&world().record(object).state)) {
        return textOf(item->title.get());
    }
    if (const auto* view = std::get_if<ViewState>(&world().record(object).state)) {
        return textOf(view->title.get());
    }
    return world().state<StringState>(object).text;
}

std::vector<DrawnText> displayPass() {
    World& current = world();
    current.drawn.clear();
    void* pool = current.pushPool();
    const id item = firstStatusItem();
    layOut(item);
    for (const Strong& subview : buttonOf(item).subviews) {
        if (current.state<ViewState>(subview.get()).needsDisplay) {
            draw(subview.get());
        }
    }
    current.popPool(pool);
    return current.drawn;
}

bool clickStatusItem() {
    const ViewState& button = buttonOf(firstStatusItem());
    const CGPoint middle{button.frame.size.width / 2.0, button.frame.size.height / 2.0};
    for (const Strong& subview : button.subviews) {
        if (send<id, CGPoint>(subview.get(), sel_registerName("hitTest:"), middle) != nil) {
            return false;
        }
    }
    world().isTrackingMenu = true;
    return true;
}

bool chooseMenuItem(std::string_view title) {
    World& current = world();
    if (!current.isTrackingMenu) {
        return false;
    }
    for (id item : menuItems()) {
        const MenuItemState& state = current.state<MenuItemState>(item);
        if (state.isSeparator || state.isHidden || !state.isEnabled || textOf(item) != title) {
            continue;
        }
        current.isTrackingMenu = false;
        if (state.target == nil || state.action.empty()) {
            return true;
        }
        // An action without a colon takes no sender.
        const SEL action = sel_registerName(state.action.c_str());
        void* pool = current.pushPool();
        if (state.action.ends_with(':')) {
            send<void, id>(state.target, action, item);
        } else {
            send<void>(state.target, action);
        }
        current.popPool(pool);
        return true;
    }
    return false;
}

} // namespace tarvo::appkit::doubles
