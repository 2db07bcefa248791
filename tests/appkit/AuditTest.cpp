#include "appkit/AppKitHarness.h"
#include "appkit/Declarations.h"
#include "platform/StatusBar.h"
#include "platform/Text.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

// The binding's selectors, classes, linked symbols and values against the SDK's declarations.
namespace tarvo::appkit::doubles {
namespace {

std::string bindingSource() {
    std::string source;
    for (const auto& file : std::filesystem::directory_iterator(std::string(TARVO_SOURCE_DIR) +
                                                                "/src/platform/macos")) {
        std::ifstream in(file.path());
        source += std::string(std::istreambuf_iterator<char>(in), {});
    }
    return source;
}

// The first group of every match of `pattern` in the binding's sources.
std::set<std::string> namedInBinding(const std::string& pattern) {
    static const std::string source = bindingSource();
    std::set<std::string> names;
    const std::regex expression(pattern);
    for (auto match = std::sregex_iterator(source.begin(), source.end(), expression);
         match != std::sregex_iterator(); ++match) {
        names.insert((*match)[1]);
    }
    return names;
}

const std::string registeredSelector = R"re(sel_registerName\("([^"]+)"\))re";

TEST(Audit, EverySelectorTheBindingNamesIsDeclaredAndEveryDeclarationUsed) {
    std::set<std::string> declared;
    for (const MethodDeclaration& method : declaredMethods()) {
        declared.insert(std::string(method.selector));
    }
    EXPECT_EQ(namedInBinding(registeredSelector), declared);
}

TEST(Audit, EveryClassTheBindingLooksUpIsDeclared) {
    std::set<std::string> declared;
    for (const ClassDeclaration& cls : declaredClasses()) {
        declared.insert(std::string(cls.name));
    }
    for (const std::string& name : namedInBinding(R"re(objc_getClass\("([^"]+)"\))re")) {
        EXPECT_TRUE(declared.contains(name)) << name;
    }
}

// Each declaration of the binding's extern "C" block names one symbol.
std::set<std::string> symbolsTheBindingDeclares() {
    std::ifstream in(std::string(TARVO_SOURCE_DIR) + "/src/platform/macos/Foundation.h");
    const std::string header(std::istreambuf_iterator<char>(in), {});
    const std::size_t block = header.find("extern \"C\" {");
    std::istringstream lines(header.substr(block, header.find("\n}", block) - block));
    std::set<std::string> names;
    const std::regex declaration(R"(^(?!//).*?(\w+)\s*(?:\[|\(|;))");
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (line.find('{') == std::string::npos && std::regex_search(line, match, declaration)) {
            names.insert(match[1]);
        }
    }
    return names;
}

TEST(Audit, EverySymbolTheBindingDeclaresIsDeclaredByTheSdk) {
    std::set<std::string> declared;
    for (const SymbolDeclaration& symbol : declaredSymbols()) {
        declared.insert(std::string(symbol.name));
    }
    EXPECT_EQ(symbolsTheBindingDeclares(), declared);
}

// The binding's own declarations, typed as the SDK declares them.
static_assert(std::is_same_v<decltype(_NSConcreteStackBlock), void* [32]>);
static_assert(std::is_same_v<decltype(objc_autoreleasePoolPush), void*()>);
static_assert(std::is_same_v<decltype(objc_autoreleasePoolPop), void(void*)>);

struct BoundConstant {
    std::string_view name;
    std::string encoding;
    bool isConst;
};

template <typename T>
BoundConstant bound(std::string_view name) {
    return {name, encodingOf<std::remove_const_t<T>>(), std::is_const_v<T>};
}

TEST(Audit, ExportedConstantsHaveTheirDeclaredTypes) {
    const BoundConstant constants[] = {
        bound<decltype(NSRunLoopCommonModes)>("NSRunLoopCommonModes"),
        bound<decltype(NSFontAttributeName)>("NSFontAttributeName"),
        bound<decltype(NSForegroundColorAttributeName)>("NSForegroundColorAttributeName"),
        bound<decltype(NSParagraphStyleAttributeName)>("NSParagraphStyleAttributeName"),
        bound<decltype(NSFontWeightMedium)>("NSFontWeightMedium"),
    };
    for (const BoundConstant& constant : constants) {
        const auto& symbols = declaredSymbols();
        const auto declared = std::find_if(symbols.begin(), symbols.end(), [&](const auto& symbol) {
            return symbol.name == constant.name;
        });
        ASSERT_NE(declared, symbols.end()) << constant.name;
        std::string type(declared->declaration);
        const bool isConst = type.starts_with("const ") || type.ends_with(" const");
        type = std::regex_replace(type, std::regex("^const | const$"), "");
        EXPECT_EQ(constant.encoding, encodingOfType(type)) << constant.name;
        EXPECT_EQ(constant.isConst, isConst) << constant.name;
    }
}

TEST(Audit, ValuesAreThoseOfTheHeaders) {
    const std::map<std::string_view, double> bindingValues{
        {"NSVariableStatusItemLength", platform::variableStatusItemLength},
        {"NSApplicationActivationPolicyAccessory",
         static_cast<double>(platform::ActivationPolicy::accessory)},
        {"NSLineBreakByClipping", static_cast<double>(platform::LineBreakMode::clipping)},
        {"NSTextAlignmentLeft", static_cast<double>(platform::TextAlignment::left)},
        {"NSUTF8StringEncoding", static_cast<double>(utf8StringEncoding)},
        {"NSActivityUserInitiatedAllowingIdleSystemSleep",
         static_cast<double>(platform::ActivityOptions::userInitiatedAllowingIdleSystemSleep)},
    };
    ASSERT_EQ(bindingValues.size(), declaredValues().size());
    for (const ValueDeclaration& value : declaredValues()) {
        EXPECT_EQ(bindingValues.at(value.name), value.value) << value.name;
    }
}

// Every message of the binding is checked against its declaration when sent: one whole run sends
// each of them at least once, and the methods the binding adds are declared as AppKit calls them.
TEST_F(AppOnAppKit, EverySelectorIsSentWithItsDeclaredSignature) {
    launch();
    displayPass();
    advance(1.0);
    displayPass();
    ASSERT_TRUE(clickStatusItem());
    ASSERT_TRUE(chooseMenuItem("Refresh Now"));
    ASSERT_TRUE(clickStatusItem());
    ASSERT_TRUE(chooseMenuItem("Quit Tarvo"));
    const id decoded = send<id>(object_getClass(hostedView()), sel_registerName("alloc"));
    send<void>(send<id, id>(decoded, sel_registerName("initWithCoder:"), nil),
               sel_registerName("release"));

    for (const std::string& selector : namedInBinding(registeredSelector)) {
        EXPECT_TRUE(world().checkedSelectors.contains(selector)) << selector;
    }
}

TEST_F(AppOnAppKit, MethodsTheBindingAddsAreTypedAsDeclared) {
    launch();
    const Class delegateClass =
        object_getClass(static_cast<id>(program.delegate->object().object().get()));
    const Class viewClass = object_getClass(hostedView());
    const struct {
        Class cls;
        std::string_view owner;
        std::string_view selector;
    } added[] = {
        {delegateClass, "NSApplicationDelegate", "applicationDidFinishLaunching:"},
        {delegateClass, "TarvoAppDelegate", "refreshNow"},
        {delegateClass, "TarvoAppDelegate", "quit"},
        {viewClass, "NSView", "initWithFrame:"},
        {viewClass, "NSView", "initWithCoder:"},
        {viewClass, "NSView", "drawRect:"},
        {viewClass, "NSView", "hitTest:"},
        {viewClass, "NSView", "intrinsicContentSize"},
    };
    for (const auto& method : added) {
        const SEL selector = sel_registerName(std::string(method.selector).c_str());
        const Method found = class_getInstanceMethod(method.cls, selector);
        ASSERT_NE(found, nullptr) << method.selector;
        EXPECT_NE(method_getImplementation(found),
                  class_getMethodImplementation(class_getSuperclass(method.cls), selector))
            << method.selector << " is not the binding's own";
        const MethodDeclaration* declared =
            findDeclaration(method.owner, MethodKind::instanceMethod, method.selector);
        ASSERT_NE(declared, nullptr) << method.selector;
        EXPECT_TRUE(sameSignature(declared->types, method_getTypeEncoding(found)))
            << method.selector << ": " << method_getTypeEncoding(found);
    }
}

} // namespace
} // namespace tarvo::appkit::doubles
