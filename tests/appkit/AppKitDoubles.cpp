#include "appkit/Install.h"
#include "appkit/World.h"
#include "platform/macos/Runtime.h"

// The application, the status bar and its items, menus, fonts, colours and paragraph styles.
namespace tarvo::appkit::doubles {

namespace {

id sharedApplication(id, SEL) {
    return world().application;
}

void setDelegate(id self, SEL, id delegate) {
    world().state<ApplicationState>(self).delegate = delegate;
}

// The event loop's first event, the end of launching; the tests bring the later ones.
void run(id self, SEL) {
    World& current = world();
    void* pool = current.pushPool();
    send<void, id>(current.state<ApplicationState>(self).delegate,
                   sel_registerName("applicationDidFinishLaunching:"), nil);
    current.popPool(pool);
}

BOOL setActivationPolicy(id self, SEL, NSInteger policy) {
    world().state<ApplicationState>(self).activationPolicy = policy;
    return YES;
}

void terminate(id self, SEL, id) {
    world().state<ApplicationState>(self).isTerminated = true;
}

id processInfo(id, SEL) {
    return world().processInfo;
}

// The token that holds the activity, as an NSObject of the caller's pool.
id beginActivity(id, SEL, unsigned long long options, id reason) {
    World& current = world();
    return current.autorelease(
        current.create(classNamed("NSObject"), ActivityState{options, Strong(reason)}));
}

id systemStatusBar(id, SEL) {
    return world().statusBar;
}

id statusItemWithLength(id self, SEL, CGFloat length) {
    World& current = world();
    const Strong button =
        current.statusItemsHaveButton
            ? Strong::adopt(current.create(classNamed("NSStatusBarButton"), ViewState{}))
            : Strong();
    const id item =
        current.create(classNamed("NSStatusItem"), StatusItemState{length, button, Strong()});
    current.state<StatusBarState>(self).items.push_back(item);
    return current.autorelease(item);
}

id button(id self, SEL) {
    return world().state<StatusItemState>(self).button.get();
}

void setLength(id self, SEL, CGFloat length) {
    world().state<StatusItemState>(self).length = length;
}

void setMenu(id self, SEL, id menu) {
    world().state<StatusItemState>(self).menu = Strong(menu);
}

void addItem(id self, SEL, id item) {
    MenuItemState& added = world().state<MenuItemState>(item);
    if (added.menu != nil) {
        fail(describeObject(item) + " is already in a menu");
    }
    added.menu = self;
    world().state<MenuState>(self).items.emplace_back(item);
}

id initWithTitle(id self, SEL, id title, SEL action, id keyEquivalent) {
    if (title == nil || keyEquivalent == nil) {
        fail("a menu item without a title or key equivalent");
    }
    MenuItemState& item = world().state<MenuItemState>(self);
    item.title = Strong(title);
    item.action = action == nullptr ? "" : sel_getName(action);
    item.keyEquivalent = Strong(keyEquivalent);
    return self;
}

id separatorItem(id self, SEL) {
    MenuItemState separator;
    separator.isEnabled = false;
    separator.isSeparator = true;
    World& current = world();
    return current.autorelease(current.create(reinterpret_cast<Class>(self), separator));
}

void setItemTitle(id self, SEL, id title) {
    world().state<MenuItemState>(self).title = Strong(title);
}

void setEnabled(id self, SEL, BOOL enabled) {
    world().state<MenuItemState>(self).isEnabled = enabled != NO;
}

void setHidden(id self, SEL, BOOL hidden) {
    world().state<MenuItemState>(self).isHidden = hidden != NO;
}

void setTarget(id self, SEL, id target) {
    world().state<MenuItemState>(self).target = target;
}

// Every font sets a character (code point) half its size wide; its line is 1.25 sizes high.
id monospacedDigitSystemFont(id self, SEL, CGFloat size, CGFloat weight) {
    World& current = world();
    return current.autorelease(
        current.create(reinterpret_cast<Class>(self), FontState{size, weight}));
}

CGFloat ascender(id self, SEL) {
    return world().state<FontState>(self).size;
}

CGFloat descender(id self, SEL) {
    return -0.25 * world().state<FontState>(self).size;
}

CGFloat leading(id, SEL) {
    return 0.0;
}

id labelColor(id, SEL) {
    return world().labelColor;
}

void setAlignment(id self, SEL, NSInteger alignment) {
    world().state<ParagraphStyleState>(self).alignment = alignment;
}

void setLineBreakMode(id self, SEL, NSUInteger mode) {
    world().state<ParagraphStyleState>(self).lineBreakMode = mode;
}

} // namespace

void answerAppKit() {
    const Class application = classNamed("NSApplication");
    answer(metaclassOf(application), "sharedApplication", sharedApplication);
    answer(application, "setDelegate:", setDelegate);
    answer(application, "run", run);
    answer(application, "setActivationPolicy:", setActivationPolicy);
    answer(application, "terminate:", terminate);
    const Class info = classNamed("NSProcessInfo");
    answer(metaclassOf(info), "processInfo", processInfo);
    answer(info, "beginActivityWithOptions:reason:", beginActivity);

    const Class statusBar = classNamed("NSStatusBar");
    answer(metaclassOf(statusBar), "systemStatusBar", systemStatusBar);
    answer(statusBar, "statusItemWithLength:", statusItemWithLength);
    const Class statusItem = classNamed("NSStatusItem");
    answer(statusItem, "button", button);
    answer(statusItem, "setLength:", setLength);
    answer(statusItem, "setMenu:", setMenu);

    answer(classNamed("NSMenu"), "addItem:", addItem);
    const Class menuItem = classNamed("NSMenuItem");
    answer(menuItem, "initWithTitle:action:keyEquivalent:", initWithTitle);
    answer(metaclassOf(menuItem), "separatorItem", separatorItem);
    answer(menuItem, "setTitle:", setItemTitle);
    answer(menuItem, "setEnabled:", setEnabled);
    answer(menuItem, "setHidden:", setHidden);
    answer(menuItem, "setTarget:", setTarget);

    const Class font = classNamed("NSFont");
    answer(metaclassOf(font), "monospacedDigitSystemFontOfSize:weight:", monospacedDigitSystemFont);
    answer(font, "ascender", ascender);
    answer(font, "descender", descender);
    answer(font, "leading", leading);
    answer(metaclassOf(classNamed("NSColor")), "labelColor", labelColor);
    const Class style = classNamed("NSMutableParagraphStyle");
    answer(style, "setAlignment:", setAlignment);
    answer(style, "setLineBreakMode:", setLineBreakMode);
}

} // namespace tarvo::appkit::doubles
