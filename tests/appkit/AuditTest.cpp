#include "appkit/AppKitHarness.h"
#include "platform/StatusBar.h"
#include "platform/Text.h"
#include "platform/macos/LinkedClass.h"

#include <functional>
#include <stdexcept>

// The binding against the SDK's declarations, and the faults that messages could have.
namespace tarvo::appkit::doubles {
namespace {

// How the binding declares a symbol: "const @" for `id const`.
template <typename T>
std::string typeOf() {
    return (std::is_const_v<T> ? "const " : "") + encodingOf<std::remove_const_t<T>>();
}

TEST(Audit, TheBindingsSelectorsClassesSymbolsAndValuesAreTheSdks) {
    std::set<std::string> selectors, classes, symbols;
    for (const MethodDeclaration& method : declaredMethods) {
        selectors.insert(std::string(method.selector));
    }
    for (const auto& [name, superclass] : declaredClasses) {
        classes.insert(std::string(name));
    }
    for (const auto& [name, type] : declaredSymbols) {
        symbols.insert(std::string(name));
    }
    EXPECT_EQ(namedInBinding(R"re(sel_registerName\("([^"]+)"\))re"), selectors); // and all used
    for (const std::string& name : namedInBinding(R"re(objc_getClass\("([^"]+)"\))re")) {
        EXPECT_TRUE(classes.contains(name)) << name;
    }
    // Each declaration of Foundation.h's extern "C" block, and its type.
    EXPECT_EQ(namedInBinding(R"(\n(?:extern [^";\n]*?|void\*? )(\w+)(?:\[\d*\]|\([^)]*\))?;)",
                             "Foundation.h"),
              symbols);
    const std::map<std::string_view, std::string> bound{
        {"NSRunLoopCommonModes", typeOf<decltype(NSRunLoopCommonModes)>()},
        {"NSFontAttributeName", typeOf<decltype(NSFontAttributeName)>()},
        {"NSForegroundColorAttributeName", typeOf<decltype(NSForegroundColorAttributeName)>()},
        {"NSParagraphStyleAttributeName", typeOf<decltype(NSParagraphStyleAttributeName)>()},
        {"NSFontWeightMedium", typeOf<decltype(NSFontWeightMedium)>()},
    };
    for (const auto& [name, type] : bound) {
        const std::string declared(declaredSymbols.at(name));
        const bool isConst = declared.starts_with("const ") || declared.ends_with(" const");
        EXPECT_EQ(type, (isConst ? "const " : "") +
                            encodingOfType(
                                std::regex_replace(declared, std::regex("^const | const$"), "")))
            << name;
    }
    static_assert(std::is_same_v<decltype(_NSConcreteStackBlock), void* [32]>);
    static_assert(std::is_same_v<decltype(objc_autoreleasePoolPush), void*()>);
    static_assert(std::is_same_v<decltype(objc_autoreleasePoolPop), void(void*)>);
    const std::map<std::string_view, double> values{
        {"NSVariableStatusItemLength", platform::variableStatusItemLength},
        {"NSApplicationActivationPolicyAccessory",
         static_cast<double>(platform::ActivationPolicy::accessory)},
        {"NSLineBreakByClipping", static_cast<double>(platform::LineBreakMode::clipping)},
        {"NSTextAlignmentLeft", static_cast<double>(platform::TextAlignment::left)},
        {"NSUTF8StringEncoding", static_cast<double>(utf8StringEncoding)},
        {"NSActivityUserInitiatedAllowingIdleSystemSleep",
         static_cast<double>(platform::ActivityOptions::userInitiatedAllowingIdleSystemSleep)},
    };
    EXPECT_EQ(values, declaredValues);
}

std::string faultOf(const std::function<void()>& message) {
    try {
        message();
    } catch (const std::logic_error& fault) {
        return fault.what();
    }
    return "no fault";
}

// A block of the type void (^)(long), where the timer takes void (^)(NSTimer *).
struct Block {
    void* isa;
    int flags, reserved;
    void (*invoke)(void*, long);
    const void* descriptor;
};
struct {
    std::size_t reserved, size;
    void (*copy)(void*, const void*);
    void (*dispose)(const void*);
    const char* signature;
} const integerBlock{0, 0, nullptr, nullptr, "v16@?0q8"};

TEST(MessageCheck, WrongMessagesFailNamingTheSelectorOrObject) {
    resetWorld();
    objc_autoreleasePoolPush();
    const id bar = send<id>(classNamed("NSStatusBar"), selector("systemStatusBar"));
    const id item = send<id, CGFloat>(bar, selector("statusItemWithLength:"), -1.0);
    EXPECT_EQ(faultOf([&] { send<void, NSInteger>(item, selector("setLength:"), 20); }),
              "setLength: sent to NSStatusItem1 as v@:q, but it is declared v@:d");
    EXPECT_EQ(faultOf([&] { send<NSInteger>(item, selector("button")); }),
              "button sent to NSStatusItem1 as q@:, but it is declared @@:");
    EXPECT_EQ(
        faultOf([&] {
            send<void, CGSize, id>(NSFontAttributeName, selector("drawInRect:withAttributes:"), {},
                                   nil);
        }),
        "drawInRect:withAttributes: sent to NSFontAttributeName as v@:{CGSize=dd}@, but it is "
        "declared v@:{CGRect={CGPoint=dd}{CGSize=dd}}@");
    EXPECT_EQ(faultOf([&] { send<void, CGFloat>(item, selector("setLength"), 1.0); }),
              "setLength sent to NSStatusItem1, which has no method for it");
    EXPECT_EQ(faultOf([&] { send<id>(item, selector("systemStatusBar")); }),
              "systemStatusBar sent to NSStatusItem1, which has no method for it");
    const Block literal{_NSConcreteStackBlock, 1 << 25 | 1 << 30, 0, nullptr, &integerBlock};
    EXPECT_EQ(faultOf([&] {
                  send<id, double, BOOL, const void*>(
                      classNamed("NSTimer"),
                      selector("scheduledTimerWithTimeInterval:repeats:block:"), 1.0, YES,
                      &literal);
              }),
              "a block of the type v16@?0q8 where v@?@ is expected");
    objc_autoreleasePoolPop(reinterpret_cast<void*>(1));
    EXPECT_EQ(faultOf([&] { send<void, CGFloat>(item, selector("setLength:"), 1.0); }),
              "setLength: sent to NSStatusItem1, which is deallocated");
    EXPECT_EQ(faultOf([&] { release(item); }), "over-release of NSStatusItem1");
    EXPECT_EQ(faultOf([&] {
                  send<void>(send<id>(classNamed("NSRunLoop"), selector("mainRunLoop")),
                             selector("release"));
              }),
              "over-release of mainRunLoop");
    EXPECT_EQ(faultOf([&] { send<id>(classNamed("NSMenuItem"), selector("separatorItem")); }),
              "no autorelease pool in place for NSMenuItem.separatorItem");
}

TEST(LinkedClassDeathTest, ATakenClassNameStopsTheProgramNamingIt) {
    resetWorld();
    EXPECT_DEATH(LinkedClass("NSMenu", classNamed("NSObject"), [](Class) {}),
                 "class name NSMenu is already in use");
}

} // namespace
} // namespace tarvo::appkit::doubles
