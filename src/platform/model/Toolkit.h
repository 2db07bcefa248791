#pragma once

#include "platform/Application.h"
#include "platform/CustomView.h"
#include "platform/Geometry.h"
#include "platform/Layout.h"
#include "platform/ObjectRef.h"
#include "platform/StatusBar.h"
#include "platform/Text.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The toolkit's objects kept in memory, for the terminal front end and the simulated toolkit.
// Objects live until the toolkit is reset (tests) or the process ends, so references to them
// are not counted. Main thread only.
namespace tarvo::model {

// One call into the toolkit, for the simulated toolkit's log: the receiver is an object's name
// ("menuItem3") or a class name, the arguments are text.
struct Call {
    std::string receiver;
    std::string selector;
    std::vector<std::string> arguments;
    friend bool operator==(const Call&, const Call&) = default;
};

struct DelegateNode {
    std::string name;
    const platform::DelegateActions* actions = nullptr; // none once the delegate is gone
};

// One text as a view drew it.
struct DrawnText {
    std::string text;
    platform::Rect rect;
    platform::TextAttributes attributes;
};

struct StatusItemNode;

// A button or a custom view.
struct ViewNode {
    std::string name;
    const platform::ViewCallbacks* callbacks = nullptr; // custom views, while their owner lives
    const StatusItemNode* statusItem = nullptr;         // buttons: the item they belong to
    ViewNode* superview = nullptr;
    std::vector<ViewNode*> subviews;
    platform::Rect frame;
    bool translatesAutoresizingMaskIntoConstraints = true;
    bool needsDisplay = false;
    std::string title;
    std::string accessibilityLabel; // not shown: the terminal is the screen
    // What the view drew at its last display, and in which bounds.
    std::vector<DrawnText> drawn;
    std::optional<platform::Rect> drawnBounds;
};

struct MenuItemNode {
    std::string name;
    std::string title;
    std::string action;
    std::string keyEquivalent;
    const DelegateNode* target = nullptr;
    bool isEnabled = true;
    bool isHidden = false;
    bool isSeparator = false;
};

struct MenuNode {
    std::string name;
    std::vector<MenuItemNode*> items;
};

struct StatusItemNode {
    std::string name;
    double length = platform::variableStatusItemLength;
    ViewNode* button = nullptr;
    MenuNode* menu = nullptr;
};

struct ConstraintNode {
    std::string name;
    ViewNode* view = nullptr;
    platform::LayoutEdge edge = platform::LayoutEdge::leading;
    ViewNode* other = nullptr;
    platform::LayoutEdge otherEdge = platform::LayoutEdge::leading;
    bool isActive = false;
};

struct TimerNode {
    std::string name;
    std::uint64_t loopTimer = 0; // the main loop's id for it
};

struct Toolkit {
    std::deque<DelegateNode> delegates;
    std::deque<ViewNode> views;
    std::deque<MenuItemNode> menuItems;
    std::deque<MenuNode> menus;
    std::deque<StatusItemNode> statusItems; // the status bar, left to right
    std::deque<ConstraintNode> constraints;
    std::deque<TimerNode> timers;

    const DelegateNode* applicationDelegate = nullptr;
    bool statusItemsHaveButton = true;

    // Where drawText() puts its text during a view's draw; nowhere outside one.
    std::vector<DrawnText>* canvas = nullptr;

    bool isRecordingCalls = false;
    std::vector<Call> calls;
};

Toolkit& toolkit();
void resetToolkit();

// The status bar's height: two rows of the readout.
inline constexpr double statusBarThickness = 22.0;

template <typename Node>
Node& nodeOf(const platform::ObjectRef& object) {
    return *static_cast<Node*>(object.get());
}

template <typename Node>
platform::ObjectRef refTo(Node& node) {
    return platform::ObjectRef::adopt(&node);
}

// A new node named after its kind and its number ("menuItem3").
template <typename Node>
Node& create(std::deque<Node>& nodes, std::string_view kind) {
    Node& node = nodes.emplace_back();
    node.name = std::string(kind) + std::to_string(nodes.size());
    return node;
}

// A status item's width: its length, or with the variable length the intrinsic width of the
// custom view that fills its button (zero without one).
double widthOf(const StatusItemNode& item);

// A button has its item's width and the bar's height; a view pinned to all four edges of its
// superview has the superview's size; any other view has its frame's size.
platform::Rect boundsOf(const ViewNode& view);

// Draws a custom view if it needs display or its bounds changed; returns whether it drew.
bool displayIfNeeded(ViewNode& view);

// Sends a message to the delegate by selector name; unknown names and a gone delegate do nothing.
void send(const DelegateNode& delegate, std::string_view selector);

// The event loop's first event: applicationDidFinishLaunching: to the application's delegate.
void launch();

// Chooses the item as a user would: its action goes to its target if it is enabled and has both.
void perform(const MenuItemNode& item);

// The first shown item with this key equivalent in the status items' menus, or none.
const MenuItemNode* itemWithKeyEquivalent(std::string_view key);

std::string describe(std::string_view text);
std::string describe(const char* text);
std::string describe(double value);
std::string describe(bool value);
std::string describe(const platform::Rect& rect);

// Logs a call when the toolkit records calls.
template <typename... Arguments>
void record(std::string_view receiver, std::string_view selector, const Arguments&... arguments) {
    Toolkit& kit = toolkit();
    if (kit.isRecordingCalls) {
        kit.calls.push_back(
            {std::string(receiver), std::string(selector), {describe(arguments)...}});
    }
}

} // namespace tarvo::model
