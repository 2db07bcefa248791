#include "appkit/MessageCheck.h"

#include <regex>

namespace tarvo::appkit::doubles {

// clang-format off
const std::vector<std::pair<std::string_view, std::string_view>> declaredClasses{
    {"NSObject", ""}, {"NSString", "NSObject"}, {"NSArray", "NSObject"},
    {"NSDictionary", "NSObject"}, {"NSTimer", "NSObject"}, {"NSRunLoop", "NSObject"},
    {"NSProcessInfo", "NSObject"}, {"NSResponder", "NSObject"}, {"NSApplication", "NSResponder"},
    {"NSStatusBar", "NSObject"}, {"NSStatusItem", "NSObject"}, {"NSView", "NSResponder"},
    {"NSControl", "NSView"}, {"NSButton", "NSControl"}, {"NSStatusBarButton", "NSButton"},
    {"NSLayoutAnchor", "NSObject"}, {"NSLayoutXAxisAnchor", "NSLayoutAnchor"},
    {"NSLayoutYAxisAnchor", "NSLayoutAnchor"}, {"NSLayoutConstraint", "NSObject"},
    {"NSMenu", "NSObject"}, {"NSMenuItem", "NSObject"}, {"NSFont", "NSObject"},
    {"NSColor", "NSObject"}, {"NSParagraphStyle", "NSObject"},
    {"NSMutableParagraphStyle", "NSParagraphStyle"},
};

// Properties as their accessors: "@property CGFloat length" is -length and -setLength:.
const std::vector<MethodDeclaration> declaredMethods{
    // objc/NSObject.h
    {"NSObject", '+', "alloc", "instancetype", {}}, {"NSObject", '-', "init", "instancetype", {}},
    {"NSObject", '-', "retain", "instancetype", {}}, {"NSObject", '-', "release", "oneway void", {}},
    // AppKit/NSApplication.h
    {"NSApplication", '+', "sharedApplication", "__kindof NSApplication *", {}},
    {"NSApplication", '-', "setDelegate:", "void", {"id<NSApplicationDelegate>"}},
    {"NSApplication", '-', "run", "void", {}},
    {"NSApplication", '-', "setActivationPolicy:", "BOOL", {"NSApplicationActivationPolicy"}},
    {"NSApplication", '-', "terminate:", "void", {"nullable id"}},
    {"NSApplicationDelegate", '-', "applicationDidFinishLaunching:", "void", {"NSNotification *"}},
    // Foundation/NSProcessInfo.h
    {"NSProcessInfo", '+', "processInfo", "NSProcessInfo *", {}},
    {"NSProcessInfo", '-', "beginActivityWithOptions:reason:", "id <NSObject>", {"NSActivityOptions", "NSString *"}},
    // AppKit/NSStatusBar.h, NSStatusItem.h, NSButton.h
    {"NSStatusBar", '+', "systemStatusBar", "NSStatusBar *", {}},
    {"NSStatusBar", '-', "statusItemWithLength:", "NSStatusItem*", {"CGFloat"}},
    {"NSStatusItem", '-', "button", "NSStatusBarButton *", {}},
    {"NSStatusItem", '-', "setLength:", "void", {"CGFloat"}},
    {"NSStatusItem", '-', "setMenu:", "void", {"NSMenu *"}},
    {"NSButton", '-', "setTitle:", "void", {"NSString *"}},
    {"NSButton", '-', "setImage:", "void", {"NSImage *"}},
    // AppKit/NSView.h, NSLayoutConstraint.h, NSLayoutAnchor.h
    {"NSView", '-', "initWithFrame:", "instancetype", {"NSRect"}},
    {"NSView", '-', "initWithCoder:", "nullable instancetype", {"NSCoder *"}},
    {"NSView", '-', "addSubview:", "void", {"NSView *"}},
    {"NSView", '-', "bounds", "NSRect", {}},
    {"NSView", '-', "setNeedsDisplay:", "void", {"BOOL"}},
    {"NSView", '-', "drawRect:", "void", {"NSRect"}},
    {"NSView", '-', "hitTest:", "nullable NSView *", {"NSPoint"}},
    {"NSView", '-', "intrinsicContentSize", "NSSize", {}},
    {"NSView", '-', "setTranslatesAutoresizingMaskIntoConstraints:", "void", {"BOOL"}},
    {"NSView", '-', "leadingAnchor", "NSLayoutXAxisAnchor *", {}}, {"NSView", '-', "trailingAnchor", "NSLayoutXAxisAnchor *", {}},
    {"NSView", '-', "topAnchor", "NSLayoutYAxisAnchor *", {}}, {"NSView", '-', "bottomAnchor", "NSLayoutYAxisAnchor *", {}},
    {"NSLayoutAnchor", '-', "constraintEqualToAnchor:", "NSLayoutConstraint *", {"NSLayoutAnchor<AnchorType> *"}},
    {"NSLayoutConstraint", '+', "activateConstraints:", "void", {"NSArray<NSLayoutConstraint *> *"}},
    // AppKit/NSMenu.h, NSMenuItem.h
    {"NSMenu", '-', "addItem:", "void", {"NSMenuItem *"}},
    {"NSMenuItem", '-', "initWithTitle:action:keyEquivalent:", "instancetype", {"NSString *", "nullable SEL", "NSString *"}},
    {"NSMenuItem", '+', "separatorItem", "NSMenuItem *", {}},
    {"NSMenuItem", '-', "setTitle:", "void", {"NSString *"}},
    {"NSMenuItem", '-', "setEnabled:", "void", {"BOOL"}},
    {"NSMenuItem", '-', "setHidden:", "void", {"BOOL"}},
    {"NSMenuItem", '-', "setTarget:", "void", {"id"}},
    // Foundation/NSTimer.h, NSRunLoop.h
    {"NSTimer", '+', "scheduledTimerWithTimeInterval:repeats:block:", "NSTimer *", {"NSTimeInterval", "BOOL", "void (^)(NSTimer *timer)"}},
    {"NSTimer", '-', "invalidate", "void", {}},
    {"NSRunLoop", '+', "mainRunLoop", "NSRunLoop *", {}},
    {"NSRunLoop", '-', "addTimer:forMode:", "void", {"NSTimer *", "NSRunLoopMode"}},
    // AppKit/NSFont.h, NSColor.h, NSParagraphStyle.h
    {"NSFont", '+', "monospacedDigitSystemFontOfSize:weight:", "NSFont *", {"CGFloat", "NSFontWeight"}},
    {"NSFont", '-', "ascender", "CGFloat", {}}, {"NSFont", '-', "descender", "CGFloat", {}}, {"NSFont", '-', "leading", "CGFloat", {}},
    {"NSColor", '+', "labelColor", "NSColor *", {}},
    {"NSMutableParagraphStyle", '-', "setAlignment:", "void", {"NSTextAlignment"}},
    {"NSMutableParagraphStyle", '-', "setLineBreakMode:", "void", {"NSLineBreakMode"}},
    // Foundation/NSArray.h, NSDictionary.h, NSString.h; AppKit/NSStringDrawing.h
    {"NSArray", '+', "arrayWithObjects:count:", "instancetype", {"const ObjectType _Nonnull [_Nonnull]", "NSUInteger"}},
    {"NSDictionary", '+', "dictionaryWithObjects:forKeys:count:", "instancetype", {"const ObjectType _Nonnull [_Nullable]", "const KeyType <NSCopying> _Nonnull [_Nullable]", "NSUInteger"}},
    {"NSString", '-', "initWithBytes:length:encoding:", "nullable instancetype", {"const void *", "NSUInteger", "NSStringEncoding"}},
    {"NSString", '-', "sizeWithAttributes:", "NSSize", {"nullable NSDictionary<NSAttributedStringKey, id> *"}},
    {"NSString", '-', "drawInRect:withAttributes:", "void", {"NSRect", "nullable NSDictionary<NSAttributedStringKey, id> *"}},
    // The program's own menu actions, which take no sender.
    {"TarvoAppDelegate", '-', "refreshNow", "void", {}}, {"TarvoAppDelegate", '-', "quit", "void", {}},
};

const std::map<std::string_view, std::string_view> declaredSymbols{
    {"NSRunLoopCommonModes", "NSRunLoopMode const"},               // Foundation/NSRunLoop.h
    {"NSFontAttributeName", "NSAttributedStringKey"},              // AppKit/NSAttributedString.h
    {"NSForegroundColorAttributeName", "NSAttributedStringKey"},
    {"NSParagraphStyleAttributeName", "NSAttributedStringKey"},
    {"NSFontWeightMedium", "const NSFontWeight"},                  // AppKit/NSFontDescriptor.h
    {"_NSConcreteStackBlock", "void * [32]"},                      // Block.h
    {"objc_autoreleasePoolPush", "void *(void)"},                  // libobjc.A.tbd, no header
    {"objc_autoreleasePoolPop", "void (void *)"},
};

const std::map<std::string_view, double> declaredValues{
    {"NSVariableStatusItemLength", -1.0},                          // AppKit/NSStatusBar.h
    {"NSApplicationActivationPolicyAccessory", 1},                 // AppKit/NSRunningApplication.h
    {"NSLineBreakByClipping", 2},                                  // AppKit/NSParagraphStyle.h
    {"NSTextAlignmentLeft", 0},                                    // AppKit/NSText.h
    {"NSUTF8StringEncoding", 4},                                   // Foundation/NSString.h
    {"NSActivityUserInitiatedAllowingIdleSystemSleep", 0x00EFFFFF}, // Foundation/NSProcessInfo.h
};

// For arm64 macOS: BOOL is bool there, NSInteger long, CGFloat double, and NSRect, NSPoint and
// NSSize are the CoreGraphics structs.
std::string encodingOfType(std::string_view type) {
    static const std::map<std::string_view, std::string_view> encodings{
        {"void", "v"}, {"oneway void", "Vv"}, {"instancetype", "@"}, {"id", "@"}, {"SEL", ":"},
        {"BOOL", "B"}, {"CGFloat", "d"}, {"NSTimeInterval", "d"}, {"NSFontWeight", "d"},
        {"NSInteger", "q"}, {"NSApplicationActivationPolicy", "q"}, {"NSTextAlignment", "q"},
        {"NSUInteger", "Q"}, {"NSActivityOptions", "Q"}, {"NSLineBreakMode", "Q"},
        {"NSStringEncoding", "Q"}, {"NSRunLoopMode", "@"}, {"NSAttributedStringKey", "@"},
        {"NSPoint", "{CGPoint=dd}"}, {"NSSize", "{CGSize=dd}"},
        {"NSRect", "{CGRect={CGPoint=dd}{CGSize=dd}}"}, {"const void *", "r^v"},
        {"void (^)(NSTimer *timer)", "@?"},
    };
    // clang-format on
    if (type.starts_with("nullable ")) {
        type.remove_prefix(9); // nullability changes no type
    }
    if (const auto found = encodings.find(type); found != encodings.end()) {
        return std::string(found->second);
    }
    if (type.starts_with("const ") && type.ends_with("]")) {
        return "r^@"; // a C array of objects
    }
    if (type.ends_with("*") || type.starts_with("id")) {
        return "@";
    }
    fail("no encoding for the declared type " + std::string(type));
}

std::string declaredEncoding(const MethodDeclaration& method) {
    std::string types = encodingOfType(method.returnType) + "@:";
    for (std::string_view argument : method.argumentTypes) {
        types += encodingOfType(argument);
    }
    return types;
}

// Offsets, class names and qualifiers dropped, a block as the pointer that C++ passes. The
// qualifiers (rnNoORV) are no type codes; the same letters in struct names go on both sides.
bool sameSignature(const std::string& declared, const std::string& sent) {
    const std::regex dropped(R"("[^"]*"|[0-9rnNoORV])"), block(R"(@\?)");
    return std::regex_replace(std::regex_replace(declared, dropped, ""), block, "^v") ==
           std::regex_replace(std::regex_replace(sent, dropped, ""), block, "^v");
}

} // namespace tarvo::appkit::doubles
