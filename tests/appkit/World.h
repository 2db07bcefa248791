#pragma once

#include "appkit/Blocks.h"
#include "platform/Geometry.h"
#include "platform/macos/Foundation.h"

#include <cstdint>
#include <map>
#include <memory>
#include <objc/runtime.h>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// The objects of the AppKit doubles: every instance is a real object of the GNU runtime whose
// state lives here, beside its retain count and the name the message log gives it. A released
// object stays known, as deallocated, until the next reset, so a message to it fails the test.
// Main thread only.
namespace tarvo::appkit::doubles {

// Fails the running test: records the fault and throws, so that the call in progress stops.
[[noreturn]] void fail(const std::string& fault);

// One message as the binding (or a double) sent it: receiver and arguments as text.
struct Message {
    std::string receiver;
    std::string selector;
    std::vector<std::string> arguments;
    friend bool operator==(const Message&, const Message&) = default;
};

void PrintTo(const Message& message, std::ostream* out);

// A counted reference that a double holds, as AppKit's strong properties do.
class Strong {
public:
    Strong() = default;
    // Adds a reference of its own.
    explicit Strong(id object);
    // Takes over the caller's reference.
    static Strong adopt(id object) {
        Strong strong;
        strong.object = object;
        return strong;
    }
    Strong(const Strong& other) : Strong(other.object) {}
    Strong(Strong&& other) noexcept : object(std::exchange(other.object, nil)) {}
    Strong& operator=(Strong other) noexcept {
        std::swap(object, other.object);
        return *this;
    }
    ~Strong();

    id get() const { return object; }

private:
    id object = nil;
};

struct StringState {
    std::string text;
    bool isConstant = false; // an exported constant, shown by its name
};

struct ArrayState {
    std::vector<Strong> items;
};

struct DictionaryState {
    std::vector<std::pair<Strong, Strong>> entries;
};

struct ApplicationState {
    id delegate = nil; // weak
    long activationPolicy = 0;
    bool isTerminated = false;
};

struct StatusBarState {
    std::vector<id> items; // weak: an item leaves the bar when it is deallocated
};

struct StatusItemState {
    double length = 0.0;
    Strong button;
    Strong menu;
};

// NSView, and NSButton's title and image.
struct ViewState {
    CGRect frame{};
    id superview = nil; // weak
    std::vector<Strong> subviews;
    std::vector<Strong> constraints; // the active ones between this view and its descendants
    bool needsDisplay = false;
    bool translatesAutoresizingMaskIntoConstraints = true;
    Strong title;
    Strong image;
};

struct AnchorState {
    id view = nil; // weak
    std::string edge;
};

struct ConstraintState {
    AnchorState first;
    AnchorState second;
    bool isActive = false;
};

struct MenuState {
    std::vector<Strong> items;
};

struct MenuItemState {
    Strong title;
    std::string action;
    Strong keyEquivalent;
    id target = nil; // weak
    id menu = nil;   // weak
    bool isEnabled = true;
    bool isHidden = false;
    bool isSeparator = false;
};

struct TimerState {
    bool repeats = false;
    std::shared_ptr<HeapBlock> block; // kept by a fire in progress too
    std::uint64_t loopTimer = 0;
    bool isValid = true;
    std::vector<std::string> modes;
};

struct RunLoopState {
    std::vector<Strong> timers;
};

struct ActivityState {
    unsigned long long options = 0;
    Strong reason;
};

struct FontState {
    double size = 0.0;
    double weight = 0.0;
};

struct ParagraphStyleState {
    unsigned long lineBreakMode = 0; // word wrapping
    long alignment = 4;              // natural
};

using State = std::variant<std::monostate, StringState, ArrayState, DictionaryState,
                           ApplicationState, StatusBarState, StatusItemState, ViewState,
                           AnchorState, ConstraintState, MenuState, MenuItemState, TimerState,
                           RunLoopState, ActivityState, FontState, ParagraphStyleState>;

struct Record {
    std::string name;
    long retainCount = 1;
    bool isPermanent = false; // shared objects and constants: never deallocated
    bool isDeallocated = false;
    State state;
};

// One text drawn by a view's drawRect:, with its attributes as the message log shows them.
struct DrawnText {
    std::string text;
    platform::Rect rect;
    std::string attributes;
    friend bool operator==(const DrawnText&, const DrawnText&) = default;
};

void PrintTo(const DrawnText& drawn, std::ostream* out);

class World {
public:
    World() = default;
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    // Frees every object, whatever its count: the objects hold references to each other.
    ~World();

    // A new instance of `cls` owned by the caller (+1), named after its class.
    id create(Class cls, State state);
    // An object that lives as long as the world.
    id createPermanent(Class cls, std::string name, State state);
    // An object in static storage (an exported constant), known for as long as the world.
    void addStatic(id object, std::string name, State state);

    // Fails the test for an object the doubles do not know.
    Record& record(id object);
    Record* find(id object);
    template <typename S>
    S& state(id object) {
        S* found = std::get_if<S>(&record(object).state);
        if (found == nullptr) {
            fail("unexpected kind of object: " + record(object).name);
        }
        return *found;
    }

    void retain(id object);
    void release(id object);
    id autorelease(id object);
    void* pushPool();
    void popPool(void* pool);
    std::size_t openPools() const { return pools.size(); }

    // What has not been deallocated, apart from the permanent objects.
    std::vector<std::string> liveObjects() const;

    std::vector<Message> messages;
    std::vector<std::string> faults;
    std::set<std::string> checkedSelectors; // sent, and found declared as sent

    // What the display pass drew, and the view drawing now.
    std::vector<DrawnText> drawn;
    id drawingView = nil;

    bool statusItemsHaveButton = true;
    bool isTrackingMenu = false; // the run loop runs in the menu's tracking mode

    id application = nil;
    id statusBar = nil;
    id mainRunLoop = nil;
    id labelColor = nil;
    id processInfo = nil;

private:
    void deallocate(Record& found);

    std::map<id, Record> objects;
    std::set<id> staticObjects;
    std::map<std::string, int> counters;
    std::vector<std::vector<id>> pools;
    bool isEnding = false;
};

// The world of the running test.
World& world();

// Registers the doubles with the runtime (once per process) and starts a new world: the old
// one's objects are freed. Objects of the old world must no longer be in use.
void resetWorld();

} // namespace tarvo::appkit::doubles
