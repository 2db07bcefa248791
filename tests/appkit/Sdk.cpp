#include "appkit/MessageCheck.h"
#include "platform/Application.h"
#include "platform/StatusBar.h"
#include "platform/Text.h"

#include <regex>

namespace tarvo::appkit::doubles {

// What the binding uses, its types spelt as the macOS 12 SDK's headers spell them: each class
// after its superclass, with its methods, a property as its accessor ("@property CGFloat length"
// as -setLength:). scripts/check-sdk-table proves every row against the SDK with clang.
// clang-format off
const std::vector<ClassDeclaration> declaredClasses{
    // objc/NSObject.h
    {"NSObject", "", {{'+', "instancetype", "alloc", {}}, {'-', "instancetype", "init", {}},
        {'-', "instancetype", "retain", {}}, {'-', "oneway void", "release", {}}}},
    // AppKit/NSResponder.h, NSApplication.h
    {"NSResponder", "NSObject", {}}, {"NSApplication", "NSResponder", {
        {'+', "__kindof NSApplication *", "sharedApplication", {}}, {'-', "void", "run", {}},
        {'-', "void", "setDelegate:", {"id<NSApplicationDelegate>"}},
        {'-', "BOOL", "setActivationPolicy:", {"NSApplicationActivationPolicy"}},
        {'-', "void", "terminate:", {"nullable id"}}}},
    // Foundation/NSProcessInfo.h
    {"NSProcessInfo", "NSObject", {{'+', "NSProcessInfo *", "processInfo", {}},
        {'-', "id <NSObject>", "beginActivityWithOptions:reason:",
         {"NSActivityOptions", "NSString *"}}}},
    // AppKit/NSStatusBar.h, NSStatusItem.h
    {"NSStatusBar", "NSObject", {{'+', "NSStatusBar *", "systemStatusBar", {}},
        {'-', "NSStatusItem*", "statusItemWithLength:", {"CGFloat"}}}},
    {"NSStatusItem", "NSObject", {{'-', "NSStatusBarButton *", "button", {}},
        {'-', "void", "setLength:", {"CGFloat"}}, {'-', "void", "setMenu:", {"NSMenu *"}}}},
    // AppKit/NSView.h, NSControl.h, NSButton.h, NSStatusBarButton.h
    {"NSView", "NSResponder", {{'-', "instancetype", "initWithFrame:", {"NSRect"}},
        {'-', "nullable instancetype", "initWithCoder:", {"NSCoder *"}},
        {'-', "NSRect", "bounds", {}}, {'-', "void", "addSubview:", {"NSView *"}},
        {'-', "void", "setNeedsDisplay:", {"BOOL"}},
        {'-', "void", "drawRect:", {"NSRect"}}, {'-', "nullable NSView *", "hitTest:", {"NSPoint"}},
        {'-', "NSSize", "intrinsicContentSize", {}},
        {'-', "void", "setTranslatesAutoresizingMaskIntoConstraints:", {"BOOL"}},
        {'-', "NSLayoutXAxisAnchor *", "leadingAnchor", {}},
        {'-', "NSLayoutXAxisAnchor *", "trailingAnchor", {}},
        {'-', "NSLayoutYAxisAnchor *", "topAnchor", {}},
        {'-', "NSLayoutYAxisAnchor *", "bottomAnchor", {}},
        // AppKit/NSAccessibilityProtocols.h, the NSAccessibility that NSView adopts
        {'-', "void", "setAccessibilityLabel:", {"nullable NSString *"}}}},
    {"NSControl", "NSView", {}}, {"NSButton", "NSControl", {
        {'-', "void", "setTitle:", {"NSString *"}}, {'-', "void", "setImage:", {"NSImage *"}}}},
    {"NSStatusBarButton", "NSButton", {}},
    // AppKit/NSLayoutAnchor.h, NSLayoutConstraint.h
    {"NSLayoutAnchor", "NSObject", {{'-', "NSLayoutConstraint *", "constraintEqualToAnchor:",
        {"NSLayoutAnchor<AnchorType> *"}}}},
    {"NSLayoutXAxisAnchor", "NSLayoutAnchor", {}}, {"NSLayoutYAxisAnchor", "NSLayoutAnchor", {}},
    {"NSLayoutConstraint", "NSObject", {{'+', "void", "activateConstraints:",
        {"NSArray<NSLayoutConstraint *> *"}}}},
    // AppKit/NSMenu.h, NSMenuItem.h
    {"NSMenu", "NSObject", {{'-', "void", "addItem:", {"NSMenuItem *"}}}},
    {"NSMenuItem", "NSObject", {{'-', "instancetype", "initWithTitle:action:keyEquivalent:",
        {"NSString *", "nullable SEL", "NSString *"}}, {'+', "NSMenuItem *", "separatorItem", {}},
        {'-', "void", "setTitle:", {"NSString *"}}, {'-', "void", "setEnabled:", {"BOOL"}},
        {'-', "void", "setHidden:", {"BOOL"}}, {'-', "void", "setTarget:", {"id"}}}},
    // Foundation/NSTimer.h, NSRunLoop.h
    {"NSTimer", "NSObject", {{'+', "NSTimer *", "scheduledTimerWithTimeInterval:repeats:block:",
        {"NSTimeInterval", "BOOL", "void (^)(NSTimer *timer)"}}, {'-', "void", "invalidate", {}}}},
    {"NSRunLoop", "NSObject", {{'+', "NSRunLoop *", "mainRunLoop", {}},
        {'-', "void", "addTimer:forMode:", {"NSTimer *", "NSRunLoopMode"}}}},
    // AppKit/NSFont.h, NSColor.h, NSParagraphStyle.h
    {"NSFont", "NSObject", {{'+', "NSFont *", "monospacedDigitSystemFontOfSize:weight:",
        {"CGFloat", "NSFontWeight"}}, {'-', "CGFloat", "ascender", {}},
        {'-', "CGFloat", "descender", {}}, {'-', "CGFloat", "leading", {}}}},
    {"NSColor", "NSObject", {{'+', "NSColor *", "labelColor", {}}}},
    {"NSParagraphStyle", "NSObject", {}}, {"NSMutableParagraphStyle", "NSParagraphStyle", {
        {'-', "void", "setAlignment:", {"NSTextAlignment"}},
        {'-', "void", "setLineBreakMode:", {"NSLineBreakMode"}}}},
    // Foundation/NSArray.h, NSDictionary.h, NSString.h; AppKit/NSStringDrawing.h
    {"NSArray", "NSObject", {{'+', "instancetype", "arrayWithObjects:count:",
        {"const ObjectType _Nonnull [_Nonnull]", "NSUInteger"}}}},
    {"NSDictionary", "NSObject", {{'+', "instancetype", "dictionaryWithObjects:forKeys:count:",
        {"const ObjectType _Nonnull [_Nullable]", "const KeyType <NSCopying> _Nonnull [_Nullable]",
         "NSUInteger"}}}},
    {"NSString", "NSObject", {{'-', "nullable instancetype", "initWithBytes:length:encoding:",
        {"const void *", "NSUInteger", "NSStringEncoding"}}, {'-', "NSSize", "sizeWithAttributes:",
        {"nullable NSDictionary<NSAttributedStringKey, id> *"}},
        {'-', "void", "drawInRect:withAttributes:",
         {"NSRect", "nullable NSDictionary<NSAttributedStringKey, id> *"}}}},
};

// Declared, not made: NSApplicationDelegate's -applicationDidFinishLaunching:, and the program's
// own menu actions -refreshNow and -quit (which take no sender), whose class the binding makes.
const std::vector<std::string> declaredElsewhere{"applicationDidFinishLaunching:", "refreshNow",
                                                 "quit"};

// For arm64 macOS: BOOL is bool there, NSInteger long, CGFloat double, and NSRect, NSPoint and
// NSSize are the CoreGraphics structs. Nullability changes no type.
std::string encodingOfType(std::string type) {
    static const std::map<std::string, std::string> encodings{
        {"void", "v"}, {"oneway void", "Vv"}, {"instancetype", "@"}, {"SEL", ":"}, {"BOOL", "B"},
        {"CGFloat", "d"}, {"NSTimeInterval", "d"}, {"NSFontWeight", "d"}, {"NSInteger", "q"},
        {"NSApplicationActivationPolicy", "q"}, {"NSTextAlignment", "q"}, {"NSUInteger", "Q"},
        {"NSActivityOptions", "Q"}, {"NSLineBreakMode", "Q"}, {"NSStringEncoding", "Q"},
        {"NSRunLoopMode", "@"}, {"NSPoint", "{CGPoint=dd}"}, {"NSSize", "{CGSize=dd}"},
        {"NSRect", "{CGRect={CGPoint=dd}{CGSize=dd}}"}, {"const void *", "r^v"},
        {"void (^)(NSTimer *timer)", "@?"}, {"const ObjectType _Nonnull [_Nonnull]", "r^@"},
        {"const ObjectType _Nonnull [_Nullable]", "r^@"},
        {"const KeyType <NSCopying> _Nonnull [_Nullable]", "r^@"}}; // C arrays of objects
    // clang-format on
    type = std::regex_replace(type, std::regex("^nullable "), "");
    if (encodings.contains(type)) {
        return encodings.at(type);
    }
    std::smatch object;
    if (std::regex_search(type, object, std::regex(R"(^(?:__kindof )?(\w+)(?:<.*>)? *\*$)"))) {
        return "@\"" + object[1].str() + '"'; // "NSMenuItem *" as @"NSMenuItem"
    }
    return type.starts_with("id") ? "@" : "?";
}

// The SDK's values and the types of its exported symbols, as the binding has them: a build
// with another fails here. Each follows the header, or the link stub, that declares it, and a
// value its name there: scripts/check-sdk-table reads them so.
// AppKit/NSStatusBar.h: NSVariableStatusItemLength
static_assert(platform::variableStatusItemLength == -1.0);
// AppKit/NSRunningApplication.h: NSApplicationActivationPolicyAccessory
static_assert(static_cast<int>(platform::ActivationPolicy::accessory) == 1);
// AppKit/NSParagraphStyle.h: NSLineBreakByClipping
static_assert(static_cast<int>(platform::LineBreakMode::clipping) == 2);
// AppKit/NSText.h: NSTextAlignmentLeft
static_assert(static_cast<int>(platform::TextAlignment::left) == 0);
// Foundation/NSString.h: NSUTF8StringEncoding
static_assert(utf8StringEncoding == 4);
// Foundation/NSProcessInfo.h: NSActivityUserInitiatedAllowingIdleSystemSleep
static_assert(static_cast<std::uint64_t>(
                  platform::ActivityOptions::userInitiatedAllowingIdleSystemSleep) == 0x00EFFFFF);
// Foundation/NSRunLoop.h: NSRunLoopMode const NSRunLoopCommonModes
static_assert(std::is_same_v<decltype(NSRunLoopCommonModes), id const>);
// AppKit/NSAttributedString.h: NSAttributedStringKey NSFontAttributeName, ...
static_assert(std::is_same_v<decltype(NSFontAttributeName), id>);
static_assert(std::is_same_v<decltype(NSForegroundColorAttributeName), id>);
static_assert(std::is_same_v<decltype(NSParagraphStyleAttributeName), id>);
// AppKit/NSFontDescriptor.h: const NSFontWeight NSFontWeightMedium
static_assert(std::is_same_v<decltype(NSFontWeightMedium), const double>);
// Block.h: void * _NSConcreteStackBlock[32]
static_assert(std::is_same_v<decltype(_NSConcreteStackBlock), void* [32]>);
// libobjc.A.tbd, no header: void *objc_autoreleasePoolPush(void), void objc_autoreleasePoolPop(void
// *)
static_assert(std::is_same_v<decltype(objc_autoreleasePoolPush), void*()>);
static_assert(std::is_same_v<decltype(objc_autoreleasePoolPop), void(void*)>);

// Offsets, class names and qualifiers dropped, a block as the pointer that C++ passes. The
// qualifiers (rnNoORV) are no type codes; the same letters in struct names go on both sides.
bool sameSignature(const std::string& declared, const std::string& sent) {
    const std::regex dropped(R"("[^"]*"|[0-9rnNoORV])"), block(R"(@\?)");
    return std::regex_replace(std::regex_replace(declared, dropped, ""), block, "^v") ==
           std::regex_replace(std::regex_replace(sent, dropped, ""), block, "^v");
}

} // namespace tarvo::appkit::doubles
