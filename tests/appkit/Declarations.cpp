#include "appkit/Declarations.h"
#include "appkit/World.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace tarvo::appkit::doubles {

namespace {

constexpr MethodKind classMethod = MethodKind::classMethod;
constexpr MethodKind instanceMethod = MethodKind::instanceMethod;

} // namespace

// For arm64 macOS: BOOL is bool there, NSInteger long, CGFloat double, and NSRect, NSPoint and
// NSSize are the CoreGraphics structs.
std::string encodingOfType(std::string_view type) {
    static const std::map<std::string_view, std::string_view> encodings{
        {"void", "v"},
        {"oneway void", "Vv"},
        {"id", "@"},
        {"instancetype", "@"},
        {"SEL", ":"},
        {"BOOL", "B"},
        {"CGFloat", "d"},
        {"NSTimeInterval", "d"},
        {"NSFontWeight", "d"},
        {"NSInteger", "q"},
        {"NSApplicationActivationPolicy", "q"},
        {"NSTextAlignment", "q"},
        {"NSUInteger", "Q"},
        {"NSActivityOptions", "Q"},
        {"NSLineBreakMode", "Q"},
        {"NSStringEncoding", "Q"},
        {"NSRunLoopMode", "@"},
        {"NSAttributedStringKey", "@"},
        {"NSPoint", "{CGPoint=dd}"},
        {"NSSize", "{CGSize=dd}"},
        {"NSRect", "{CGRect={CGPoint=dd}{CGSize=dd}}"},
        {"const void *", "r^v"},
        {"const ObjectType _Nonnull []", "r^@"},
        {"const KeyType <NSCopying> _Nonnull []", "r^@"},
        {"void (^)(NSTimer *)", "@?"},
    };
    if (const auto found = encodings.find(type); found != encodings.end()) {
        return std::string(found->second);
    }
    if (type.ends_with(" *") || type.starts_with("id<")) {
        return "@";
    }
    fail("no encoding for the declared type " + std::string(type));
}

namespace {

std::string encodingOf(const MethodDeclaration& method) {
    std::string types = encodingOfType(method.returnType) + "@:";
    for (std::string_view argument : method.argumentTypes) {
        types += encodingOfType(argument);
    }
    return types;
}

std::vector<MethodDeclaration> withEncodings(std::vector<MethodDeclaration> methods) {
    for (MethodDeclaration& method : methods) {
        method.types = encodingOf(method);
    }
    return methods;
}

// One type of an encoding, qualifiers, offsets and class names dropped; `at` moves past it.
std::string nextType(std::string_view types, std::size_t& at) {
    while (at < types.size() &&
           std::string_view("rnNoORV").find(types[at]) != std::string_view::npos) {
        ++at;
    }
    std::string type(1, types.at(at++));
    if (type == "^") {
        type += nextType(types, at);
    } else if (type == "{") {
        for (int depth = 1; depth > 0; ++at) {
            depth += types[at] == '{' ? 1 : types[at] == '}' ? -1 : 0;
            type += types[at];
        }
    } else if (type == "@" && at < types.size() && types[at] == '?') {
        type += types[at++];
    } else if (type == "@" && at < types.size() && types[at] == '"') {
        at = types.find('"', at + 1) + 1;
    }
    while (at < types.size() && std::isdigit(static_cast<unsigned char>(types[at]))) {
        ++at;
    }
    return type;
}

std::vector<std::string> typesOf(std::string_view encoding) {
    std::vector<std::string> types;
    for (std::size_t at = 0; at < encoding.size();) {
        types.push_back(nextType(encoding, at));
    }
    return types;
}

bool sameType(const std::string& declared, const std::string& sent) {
    return declared == sent || (declared == "@?" && sent == "^v");
}

} // namespace

// clang-format off
const std::vector<MethodDeclaration>& declaredMethods() {
    static const std::vector<MethodDeclaration> methods = withEncodings({
        // objc/NSObject.h
        {"NSObject", classMethod, "alloc", "instancetype", {}},
        {"NSObject", instanceMethod, "init", "instancetype", {}},
        {"NSObject", instanceMethod, "retain", "instancetype", {}},
        {"NSObject", instanceMethod, "release", "oneway void", {}},
        // AppKit/NSApplication.h
        {"NSApplication", classMethod, "sharedApplication", "__kindof NSApplication *", {}},
        {"NSApplication", instanceMethod, "setDelegate:", "void", {"id<NSApplicationDelegate>"}},
        {"NSApplication", instanceMethod, "run", "void", {}},
        {"NSApplication", instanceMethod, "setActivationPolicy:", "BOOL", {"NSApplicationActivationPolicy"}},
        {"NSApplication", instanceMethod, "terminate:", "void", {"id"}},
        {"NSApplicationDelegate", instanceMethod, "applicationDidFinishLaunching:", "void", {"NSNotification *"}},
        // Foundation/NSProcessInfo.h
        {"NSProcessInfo", classMethod, "processInfo", "NSProcessInfo *", {}},
        {"NSProcessInfo", instanceMethod, "beginActivityWithOptions:reason:", "id<NSObject>", {"NSActivityOptions", "NSString *"}},
        // AppKit/NSStatusBar.h, NSStatusItem.h
        {"NSStatusBar", classMethod, "systemStatusBar", "NSStatusBar *", {}},
        {"NSStatusBar", instanceMethod, "statusItemWithLength:", "NSStatusItem *", {"CGFloat"}},
        {"NSStatusItem", instanceMethod, "button", "NSStatusBarButton *", {}},
        {"NSStatusItem", instanceMethod, "setLength:", "void", {"CGFloat"}},
        {"NSStatusItem", instanceMethod, "setMenu:", "void", {"NSMenu *"}},
        // AppKit/NSButton.h
        {"NSButton", instanceMethod, "setTitle:", "void", {"NSString *"}},
        {"NSButton", instanceMethod, "setImage:", "void", {"NSImage *"}},
        // AppKit/NSView.h
        {"NSView", instanceMethod, "initWithFrame:", "instancetype", {"NSRect"}},
        {"NSView", instanceMethod, "initWithCoder:", "instancetype", {"NSCoder *"}},
        {"NSView", instanceMethod, "addSubview:", "void", {"NSView *"}},
        {"NSView", instanceMethod, "bounds", "NSRect", {}},
        {"NSView", instanceMethod, "setNeedsDisplay:", "void", {"BOOL"}},
        {"NSView", instanceMethod, "drawRect:", "void", {"NSRect"}},
        {"NSView", instanceMethod, "hitTest:", "NSView *", {"NSPoint"}},
        // AppKit/NSLayoutConstraint.h, NSLayoutAnchor.h
        {"NSView", instanceMethod, "intrinsicContentSize", "NSSize", {}},
        {"NSView", instanceMethod, "setTranslatesAutoresizingMaskIntoConstraints:", "void", {"BOOL"}},
        {"NSView", instanceMethod, "leadingAnchor", "NSLayoutXAxisAnchor *", {}},
        {"NSView", instanceMethod, "trailingAnchor", "NSLayoutXAxisAnchor *", {}},
        {"NSView", instanceMethod, "topAnchor", "NSLayoutYAxisAnchor *", {}},
        {"NSView", instanceMethod, "bottomAnchor", "NSLayoutYAxisAnchor *", {}},
        {"NSLayoutAnchor", instanceMethod, "constraintEqualToAnchor:", "NSLayoutConstraint *", {"NSLayoutAnchor<AnchorType> *"}},
        {"NSLayoutConstraint", classMethod, "activateConstraints:", "void", {"NSArray<NSLayoutConstraint *> *"}},
        // AppKit/NSMenu.h, NSMenuItem.h
        {"NSMenu", instanceMethod, "addItem:", "void", {"NSMenuItem *"}},
        {"NSMenuItem", instanceMethod, "initWithTitle:action:keyEquivalent:", "instancetype", {"NSString *", "SEL", "NSString *"}},
        {"NSMenuItem", classMethod, "separatorItem", "NSMenuItem *", {}},
        {"NSMenuItem", instanceMethod, "setTitle:", "void", {"NSString *"}},
        {"NSMenuItem", instanceMethod, "setEnabled:", "void", {"BOOL"}},
        {"NSMenuItem", instanceMethod, "setHidden:", "void", {"BOOL"}},
        {"NSMenuItem", instanceMethod, "setTarget:", "void", {"id"}},
        // Foundation/NSTimer.h, NSRunLoop.h
        {"NSTimer", classMethod, "scheduledTimerWithTimeInterval:repeats:block:", "NSTimer *", {"NSTimeInterval", "BOOL", "void (^)(NSTimer *)"}},
        {"NSTimer", instanceMethod, "invalidate", "void", {}},
        {"NSRunLoop", classMethod, "mainRunLoop", "NSRunLoop *", {}},
        {"NSRunLoop", instanceMethod, "addTimer:forMode:", "void", {"NSTimer *", "NSRunLoopMode"}},
        // AppKit/NSFont.h, NSColor.h, NSParagraphStyle.h
        {"NSFont", classMethod, "monospacedDigitSystemFontOfSize:weight:", "NSFont *", {"CGFloat", "NSFontWeight"}},
        {"NSFont", instanceMethod, "ascender", "CGFloat", {}},
        {"NSFont", instanceMethod, "descender", "CGFloat", {}},
        {"NSFont", instanceMethod, "leading", "CGFloat", {}},
        {"NSColor", classMethod, "labelColor", "NSColor *", {}},
        {"NSMutableParagraphStyle", instanceMethod, "setAlignment:", "void", {"NSTextAlignment"}},
        {"NSMutableParagraphStyle", instanceMethod, "setLineBreakMode:", "void", {"NSLineBreakMode"}},
        // Foundation/NSArray.h, NSDictionary.h, NSString.h; AppKit/NSStringDrawing.h
        {"NSArray", classMethod, "arrayWithObjects:count:", "instancetype", {"const ObjectType _Nonnull []", "NSUInteger"}},
        {"NSDictionary", classMethod, "dictionaryWithObjects:forKeys:count:", "instancetype", {"const ObjectType _Nonnull []", "const KeyType <NSCopying> _Nonnull []", "NSUInteger"}},
        {"NSString", instanceMethod, "initWithBytes:length:encoding:", "instancetype", {"const void *", "NSUInteger", "NSStringEncoding"}},
        {"NSString", instanceMethod, "sizeWithAttributes:", "NSSize", {"NSDictionary<NSAttributedStringKey, id> *"}},
        {"NSString", instanceMethod, "drawInRect:withAttributes:", "void", {"NSRect", "NSDictionary<NSAttributedStringKey, id> *"}},
        // The program's own menu actions, which take no sender.
        {"TarvoAppDelegate", instanceMethod, "refreshNow", "void", {}},
        {"TarvoAppDelegate", instanceMethod, "quit", "void", {}},
    });
    return methods;
}

const std::vector<SymbolDeclaration>& declaredSymbols() {
    static const std::vector<SymbolDeclaration> symbols{
        {"NSRunLoopCommonModes", "NSRunLoopMode const", "Foundation/NSRunLoop.h"},
        {"NSFontAttributeName", "NSAttributedStringKey", "AppKit/NSAttributedString.h"},
        {"NSForegroundColorAttributeName", "NSAttributedStringKey", "AppKit/NSAttributedString.h"},
        {"NSParagraphStyleAttributeName", "NSAttributedStringKey", "AppKit/NSAttributedString.h"},
        {"NSFontWeightMedium", "const NSFontWeight", "AppKit/NSFontDescriptor.h"},
        {"_NSConcreteStackBlock", "void * [32]", "Block.h"},
        // Exported by libobjc (its link stubs list them) without a public header.
        {"objc_autoreleasePoolPush", "void *(void)", "libobjc.A.tbd"},
        {"objc_autoreleasePoolPop", "void (void *)", "libobjc.A.tbd"},
    };
    return symbols;
}

const std::vector<ValueDeclaration>& declaredValues() {
    static const std::vector<ValueDeclaration> values{
        {"NSVariableStatusItemLength", -1.0},
        {"NSApplicationActivationPolicyAccessory", 1},
        {"NSLineBreakByClipping", 2},
        {"NSTextAlignmentLeft", 0},
        {"NSUTF8StringEncoding", 4},
        {"NSActivityUserInitiatedAllowingIdleSystemSleep", 0x00EFFFFF},
    };
    return values;
}

const std::vector<ClassDeclaration>& declaredClasses() {
    static const std::vector<ClassDeclaration> classes{
        {"NSObject", ""},
        {"NSString", "NSObject"},
        {"NSArray", "NSObject"},
        {"NSDictionary", "NSObject"},
        {"NSTimer", "NSObject"},
        {"NSRunLoop", "NSObject"},
        {"NSProcessInfo", "NSObject"},
        {"NSResponder", "NSObject"},
        {"NSApplication", "NSResponder"},
        {"NSStatusBar", "NSObject"},
        {"NSStatusItem", "NSObject"},
        {"NSView", "NSResponder"},
        {"NSControl", "NSView"},
        {"NSButton", "NSControl"},
        {"NSStatusBarButton", "NSButton"},
        {"NSLayoutAnchor", "NSObject"},
        {"NSLayoutXAxisAnchor", "NSLayoutAnchor"},
        {"NSLayoutYAxisAnchor", "NSLayoutAnchor"},
        {"NSLayoutConstraint", "NSObject"},
        {"NSMenu", "NSObject"},
        {"NSMenuItem", "NSObject"},
        {"NSFont", "NSObject"},
        {"NSColor", "NSObject"},
        {"NSParagraphStyle", "NSObject"},
        {"NSMutableParagraphStyle", "NSParagraphStyle"},
    };
    return classes;
}
// clang-format on

const MethodDeclaration* findDeclaration(std::string_view owner, MethodKind kind,
                                         std::string_view selector) {
    const auto& methods = declaredMethods();
    const auto found = std::find_if(methods.begin(), methods.end(), [&](const auto& method) {
        return method.owner == owner && method.kind == kind && method.selector == selector;
    });
    return found == methods.end() ? nullptr : &*found;
}

bool sameSignature(std::string_view declared, std::string_view sent) {
    const std::vector<std::string> declaredTypes = typesOf(declared);
    const std::vector<std::string> sentTypes = typesOf(sent);
    return std::equal(declaredTypes.begin(), declaredTypes.end(), sentTypes.begin(),
                      sentTypes.end(), sameType);
}

} // namespace tarvo::appkit::doubles
