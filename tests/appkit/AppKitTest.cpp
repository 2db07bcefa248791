#include "app/Program.h"
#include "appkit/MessageCheck.h"
#include "platform/macos/LinkedClass.h"
#include "platform/macos/Runtime.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "platform/simulated/SimulatedSystem.h"

#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>

// The whole program through the macOS binding on the doubles of AppKit, and the binding's names
// against the SDK's declarations.
namespace tarvo::appkit::doubles {
namespace {

// The first group of every match of `pattern` in Selectors.h, where the binding names every
// selector and class it uses.
std::set<std::string> namedInBinding(const std::string& pattern) {
    std::ifstream in(TARVO_SOURCE_DIR "/src/platform/macos/Selectors.h");
    const std::string source(std::istreambuf_iterator<char>(in), {});
    const std::regex expression(pattern);
    return {std::sregex_token_iterator(source.begin(), source.end(), expression, 1), {}};
}

TEST(LinkedClassDeathTest, ATakenClassNameStopsTheProgramNamingIt) {
    resetWorld();
    EXPECT_DEATH(LinkedClass("NSMenu", objc_getClass("NSObject"), [](Class) {}),
                 "class name NSMenu is already in use");
}

// The whole program on a simulated kernel and SMC and the simulated main loop's clock. Each test
// ends with every object the program made deallocated and every autorelease pool popped.
class AppKitTest : public testing::Test {
protected:
    AppKitTest() {
        resetWorld();
        simulated::resetSystem();
        simulated::resetSMC();
    }

    void TearDown() override {
        program.delegate.reset();
        for (const auto& [object, found] : world().objects) {
            EXPECT_TRUE(found.isPermanent || found.retainCount == 0) << found.name << " leaks";
        }
        EXPECT_EQ(world().pools.size(), 0u);
    }

    // The program's own entry point's steps, then the event loop, whose first event, in a pool,
    // ends the launch. Returns the launch's log.
    std::string launch() {
        start(program);
        program.app->run();
        void* pool = objc_autoreleasePoolPush();
        send<void, id>(static_cast<id>(program.delegate->object().object().get()),
                       sel_registerName("applicationDidFinishLaunching:"), nil);
        objc_autoreleasePoolPop(pool);
        return newLog();
    }

    // The log since the last call, a message a line, menu titles elided (the texts are the
    // program's, not the binding's). Left out: reference counting; the making of strings,
    // collections and fonts, whose contents show where they are used; anchors, named after their
    // view and edge where they are used; font metrics and text measuring, whose results show in
    // what is drawn, and whose order is the compiler's.
    std::string newLog() {
        static const std::regex omitted(
            "alloc|retain|release|initWithBytes:.*|\\w+WithObjects:.*|"
            "monospaced.*|\\w+Anchor|ascender|descender|leading|sizeWith.*");
        std::string log;
        for (; logged < world().messages.size(); ++logged) {
            const auto& [name, message] = world().messages[logged];
            log += std::regex_match(name, omitted) ? "" : message + '\n';
        }
        return std::regex_replace(log, std::regex(R"re((Title:)"[^"]*")re"), "$1…");
    }

    Program program;
    std::size_t logged = 0;
};

// Chooses an item of the open menu: the menu closes and the item's action goes to its target
// (the program's actions take no sender), in a pool.
void choose(std::size_t item) {
    world().isTrackingMenu = false;
    const id chosen = instance(property<id>(world().statusItem, "menu")).held.at(item);
    void* pool = objc_autoreleasePoolPush();
    send<void>(property<id>(chosen, "target"), property<SEL>(chosen, "action"));
    objc_autoreleasePoolPop(pool);
}

std::string pinned(const std::string& edge) {
    return "[TarvoCustomView1." + edge + "Anchor constraintEqualToAnchor:NSStatusItem1.button." +
           edge + "Anchor]\n";
}

std::string drawn(const std::string& text, const std::string& rect) {
    return "[\"" + text + "\" drawInRect:" + rect +
           " withAttributes:{NSFontAttributeName: font(9, 0.23), NSForegroundColorAttributeName: "
           "NSColor.labelColor, NSParagraphStyleAttributeName: NSMutableParagraphStyle1}]\n";
}

TEST_F(AppKitTest, RunsTheProgramThroughTheBinding) {
    // The launch, as the binding makes it of the program's values; the status view's part: the
    // button cleared, the view made, added, pinned to the button's edges, and the item sized to
    // it. (The values and their order are the program's; the view's messages depend on the
    // button.)
    const std::string log = launch();
    const std::size_t launched = log.find("[NSApplication.sharedApplication setActivation");
    EXPECT_EQ(
        log.substr(launched, log.find("[NSMenu1 init]") - launched),
        "[NSApplication.sharedApplication setActivationPolicy:1]\n[NSStatusBar systemStatusBar]\n"
        "[NSStatusBar.systemStatusBar statusItemWithLength:-1]\n[NSStatusItem1 button]\n"
        "[NSStatusItem1.button setTitle:…]\n[NSStatusItem1.button setImage:nil]\n"
        "[TarvoCustomView1 initWithFrame:{0, 0, 0, 0}]\n"
        "[super(TarvoCustomView1) initWithFrame:{0, 0, 0, 0}]\n"
        "[TarvoCustomView1 setTranslatesAutoresizingMaskIntoConstraints:NO]\n"
        "[NSStatusItem1.button addSubview:TarvoCustomView1]\n" +
            pinned("leading") + pinned("trailing") + pinned("top") + pinned("bottom") +
            "[NSLayoutConstraint activateConstraints:[NSLayoutConstraint1, "
            "NSLayoutConstraint2, NSLayoutConstraint3, NSLayoutConstraint4]]\n"
            "[NSStatusItem1 setLength:46.5]\n");
    for (const char* step : {"[NSMenuItem1 setEnabled:NO]\n", "action:quit keyEquivalent:\"q\"]\n",
                             "[NSProcessInfo.processInfo beginActivityWithOptions:15728639 reason:"
                             "\"Tarvo refreshes its menu bar readout every second.\"]\n"}) {
        EXPECT_NE(log.find(step), std::string::npos) << step;
    }

    // AppKit's display pass, in a pool: the view, pinned to the button, gets the button's bounds
    // (22 points high, as long as the item) and draws. The font sets 4.5 points a character and
    // lines of ceil(9 + 2.25) = 12 points: the view's 22 points make two rows of 11, with no
    // margin. Its size is the item's.
    const id view = property<id>(property<id>(world().statusItem, "button"), "subview");
    void* pool = objc_autoreleasePoolPush();
    store(view, "bounds", CGRect{{0.0, 0.0}, {46.5, 22.0}});
    send<void, CGRect>(view, sel_registerName("drawRect:"), property<CGRect>(view, "bounds"));
    EXPECT_EQ(describe(send<CGSize>(view, sel_registerName("intrinsicContentSize"))), "{46.5, 22}");
    objc_autoreleasePoolPop(pool);
    EXPECT_EQ(newLog(),
              "[TarvoCustomView1 drawRect:{0, 0, 46.5, 22}]\n[TarvoCustomView1 bounds]\n"
              "[NSMutableParagraphStyle1 init]\n[NSMutableParagraphStyle1 setLineBreakMode:2]\n"
              "[NSMutableParagraphStyle1 setAlignment:0]\n[NSColor labelColor]\n" +
                  drawn("--%", "{4, 11, 18, 11}") + drawn("--°C", "{4, 0, 18, 11}") +
                  drawn("↑0B", "{29, 11, 13.5, 11}") + drawn("↓0B", "{29, 0, 13.5, 11}") +
                  "[TarvoCustomView1 intrinsicContentSize]\n");

    // The timer's first tick comes a second after launch; the wider download text widens the
    // item.
    simulated::system().interfaces->front().received += 2'500'000;
    simulated::mainLoop().advance(1.0);
    EXPECT_EQ(newLog(),
              "[TarvoCustomView1 setNeedsDisplay:YES]\n[TarvoCustomView1 setNeedsDisplay:YES]\n"
              "[NSStatusItem1 setLength:55.5]\n[NSMenuItem2 setTitle:…]\n[NSMenuItem3 setTitle:…]\n"
              "[NSMenuItem4 setHidden:NO]\n[NSMenuItem4 setTitle:…]\n[NSMenuItem5 setTitle:…]\n"
              "[NSMenuItem6 setTitle:…]\n");

    // A click falls through the view to the button, which opens the menu; the timer keeps firing
    // while the menu is open. Refresh Now samples at once.
    EXPECT_EQ((send<id, CGPoint>(view, sel_registerName("hitTest:"), {27.75, 11.0})), nil);
    world().isTrackingMenu = true;
    simulated::mainLoop().advance(1.5);
    EXPECT_EQ(simulated::system().processorTicksReads, 3);
    choose(8);
    EXPECT_EQ(simulated::system().processorTicksReads, 4);

    // Quit stops the timer, then terminates; no tick follows.
    newLog();
    choose(10);
    EXPECT_EQ(newLog(), "[TarvoAppDelegate1 quit]\n[NSTimer1 invalidate]\n"
                        "[NSApplication sharedApplication]\n"
                        "[NSApplication.sharedApplication terminate:nil]\n");
    simulated::mainLoop().advance(5.0);
    EXPECT_EQ(simulated::system().processorTicksReads, 4);

    // The toolkit may keep the view and the delegate longer than the program: they then answer
    // nothing, no message following theirs.
    const id delegate = retain(static_cast<id>(program.delegate->object().object().get()));
    retain(view);
    program.delegate.reset();
    send<void, CGRect>(view, sel_registerName("drawRect:"), {});
    send<void>(delegate, sel_registerName("refreshNow"));
    EXPECT_EQ(newLog(),
              "[TarvoCustomView1 drawRect:{0, 0, 0, 0}]\n[TarvoAppDelegate1 refreshNow]\n");
    release(view);
    release(delegate);

    // The view decoded from an archive, the one path no run takes: alloc, its initialiser and
    // NSView's, release. Then every message the binding names has been sent, and checked against
    // its declaration, and every declared one named; every class it looks up is a double. The
    // symbols' types and the values are checked as the test builds (Sdk.cpp).
    send<void>(send<id, id>(send<id>(objc_getClass("TarvoCustomView"), sel_registerName("alloc")),
                            sel_registerName("initWithCoder:"), nil),
               sel_registerName("release"));
    EXPECT_EQ(
        newLog(),
        "[TarvoCustomView2 initWithCoder:nil]\n[super(TarvoCustomView2) initWithCoder:nil]\n");
    std::set<std::string> declared(declaredElsewhere.begin(), declaredElsewhere.end());
    for (const auto& [name, superclass, methods] : declaredClasses) {
        for (const auto& [kind, returnType, selector, argumentTypes] : methods) {
            declared.insert(selector);
        }
    }
    // What is sent is declared: else it would have failed.
    const std::map<std::string, std::string> sent(world().messages.begin(), world().messages.end());
    EXPECT_EQ(sent.size(), declared.size());
    EXPECT_EQ(namedInBinding(R"re(sel_registerName\("([^"]+)"\))re"), declared);
    for (const std::string& name : namedInBinding(R"re(objc_getClass\("([^"]+)"\))re")) {
        EXPECT_NE(objc_getClass(name.c_str()), Nil) << name;
    }
}

} // namespace
} // namespace tarvo::appkit::doubles
