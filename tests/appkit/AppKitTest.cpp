#include "app/Program.h"
#include "appkit/MessageCheck.h"
#include "platform/macos/LinkedClass.h"
#include "platform/macos/Runtime.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "platform/simulated/SimulatedSystem.h"
#include "support/SMCKeys.h"

#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
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

// The log since the last call, a message a line, menu titles elided (the texts are the program's,
// not the binding's). Left out: reference counting; the making of strings, collections and fonts,
// whose contents show where they are used; anchors, named after their view and edge where they
// are used; font metrics and text measuring, whose results show in what is drawn, and whose order
// is the compiler's.
std::string newLog() {
    static const std::regex omitted(
        "alloc|retain|release|initWithBytes:.*|\\w+WithObjects:.*|"
        "monospaced.*|\\w+Anchor|ascender|descender|leading|sizeWith.*");
    static std::size_t logged = 0;
    std::string log;
    for (; logged < world().messages.size(); ++logged) {
        const auto& [name, message] = world().messages[logged];
        log += std::regex_match(name, omitted) ? "" : message + '\n';
    }
    return std::regex_replace(log, std::regex(R"re((Title:)"[^"]*")re"), "$1…");
}

// One run of the whole program on a simulated kernel and SMC and the simulated main loop's clock,
// shared by the tests: each phase's log, and what it saw. A double's complaint ends the run, and
// the tests of the phases it did not reach fail with it.
struct SharedRun {
    Program program;
    std::map<std::string, std::string> logs; // by phase
    std::string done = "nothing", fault, drawnSize;
    id view = nil, hit = nil;

    void phase(const char* name) { logs[done = name] = newLog(); }
    id delegate() const { return static_cast<id>(program.delegate->object().object().get()); }

    // Chooses an item of the open menu: the menu closes and the item's action goes to its target
    // (the program's actions take no sender), in a pool, as the event loop sends it.
    static void choose(std::size_t item) {
        world().isTrackingMenu = false;
        const id chosen = instance(property<id>(world().statusItem, "menu")).held.at(item);
        const platform::AutoreleasePool pool;
        send<void>(property<id>(chosen, "target"), property<SEL>(chosen, "action"));
    }

    // The entry point's steps and the event loop's first event, which ends the launch; AppKit's
    // display pass, where the view, pinned to the button, has its bounds (22 points high, as long
    // as the item); a click, which falls through the view to the button.
    void play() {
        start(program);
        program.app->run();
        std::optional<platform::AutoreleasePool> pool(std::in_place);
        send<void, id>(delegate(), sel_registerName("applicationDidFinishLaunching:"), nil);
        pool.emplace();
        phase("launch");
        view = property<id>(property<id>(world().statusItem, "button"), "subview");
        store(view, "bounds", CGRect{{0.0, 0.0}, {46.5, 22.0}});
        send<void, CGRect>(view, sel_registerName("drawRect:"), {{0.0, 0.0}, {46.5, 22.0}});
        drawnSize = describe(send<CGSize>(view, sel_registerName("intrinsicContentSize")));
        pool.reset();
        hit = send<id, CGPoint>(view, sel_registerName("hitTest:"), {27.75, 11.0});
        phase("display");
        // The temperature reader's first pass, at once; the first tick, a second after launch,
        // with 2.5 MB downloaded; the menu open for the tick at 2 s; its commands; late messages
        // to what the toolkit kept after the program let it go; the one path no run takes, a
        // view decoded from an archive.
        simulated::mainLoop().advance(0.5);
        phase("temperature");
        simulated::system().interfaces->front().received += 2'500'000;
        simulated::mainLoop().advance(0.5);
        phase("tick");
        world().isTrackingMenu = true;
        simulated::mainLoop().advance(1.5);
        phase("open menu");
        choose(8);
        phase("Refresh Now");
        choose(10);
        simulated::mainLoop().advance(5.0);
        phase("Quit");
        const id kept = retain(delegate());
        retain(view);
        program.delegate.reset();
        send<void, CGRect>(view, sel_registerName("drawRect:"), {});
        send<void>(kept, sel_registerName("refreshNow"));
        release(view);
        release(kept);
        phase("late");
        const id decoded = send<id>(objc_getClass("TarvoCustomView"), sel_registerName("alloc"));
        send<void>(send<id, id>(decoded, sel_registerName("initWithCoder:"), nil),
                   sel_registerName("release"));
        phase("decode");
    }
};
std::unique_ptr<SharedRun> shared;

class AppKitTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        resetWorld(), simulated::resetSystem(), simulated::resetSMC();
        simulated::giveSensors({45.0F});
        shared = std::make_unique<SharedRun>();
        try {
            shared->play();
        } catch (const std::exception& fault) {
            shared->fault = "the run stopped after " + shared->done + ": " + fault.what();
        }
    }
    // Every object the program made is deallocated, and every pool popped.
    static void TearDownTestSuite() {
        for (const auto& [object, found] : world().objects) {
            EXPECT_TRUE(found.isPermanent || found.retainCount == 0) << found.name << " leaks";
        }
        EXPECT_EQ(world().pools.size(), 0u);
        shared.reset();
    }

    // Fails the test when the run stopped before the phase.
    static std::string log(const std::string& phase) {
        EXPECT_TRUE(shared->logs.contains(phase)) << phase << " not reached: " << shared->fault;
        return shared->logs[phase];
    }
};

std::string pinned(const std::string& edge) {
    return "[TarvoCustomView1." + edge + "Anchor constraintEqualToAnchor:NSStatusItem1.button." +
           edge + "Anchor]\n";
}

// The activation policy first, so that no Dock icon ever shows; the timer for the common modes,
// so that it fires while the menu is open; the activity last. (The view's messages depend on the
// button.)
TEST_F(AppKitTest, LaunchMakesAnAccessoryAppHostsTheViewAndBeginsTheActivityLast) {
    const std::string launched = log("launch");
    const std::size_t from = launched.find("[TarvoAppDelegate1 applicationDidFinishLaunching:nil]");
    EXPECT_EQ(
        launched.substr(from, launched.find("[NSMenu1 init]") - from),
        "[TarvoAppDelegate1 applicationDidFinishLaunching:nil]\n[NSApplication sharedApplication]\n"
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
    EXPECT_NE(
        launched.find("[NSRunLoop.mainRunLoop addTimer:NSTimer1 forMode:NSRunLoopCommonModes]"),
        std::string::npos);
    EXPECT_TRUE(
        launched.ends_with("[NSProcessInfo.processInfo beginActivityWithOptions:15728639 "
                           "reason:\"Tarvo refreshes its menu bar readout every second.\"]\n"))
        << launched;
}

std::string drawn(const std::string& text, const std::string& rect) {
    return "[\"" + text + "\" drawInRect:" + rect +
           " withAttributes:{NSFontAttributeName: font(9, 0.23), NSForegroundColorAttributeName: "
           "NSColor.labelColor, NSParagraphStyleAttributeName: NSMutableParagraphStyle1}]\n";
}

// The font sets 4.5 points a character and lines of ceil(9 + 2.25) = 12 points: the view's 22
// points make two rows of 11, with no margin. Its size is the item's.
TEST_F(AppKitTest, TheViewDrawsItsFourTextsInTwoRowsAndColumns) {
    EXPECT_EQ(
        log("display"),
        "[TarvoCustomView1 drawRect:{0, 0, 46.5, 22}]\n[TarvoCustomView1 bounds]\n"
        "[NSMutableParagraphStyle1 init]\n[NSMutableParagraphStyle1 setLineBreakMode:2]\n"
        "[NSMutableParagraphStyle1 setAlignment:0]\n[NSColor labelColor]\n" +
            drawn("--%", "{4, 11, 18, 11}") + drawn("--°C", "{4, 0, 18, 11}") +
            drawn("↑0B", "{29, 11, 13.5, 11}") + drawn("↓0B", "{29, 0, 13.5, 11}") +
            "[TarvoCustomView1 intrinsicContentSize]\n[TarvoCustomView1 hitTest:{27.75, 11}]\n");
    EXPECT_EQ(shared->drawnSize, "{46.5, 22}");
    EXPECT_EQ(shared->hit, nil) << "a click must reach the button";
}

// From launch on, the button says the menu's figure lines to VoiceOver.
TEST_F(AppKitTest, LaunchGivesTheButtonTheInitialFiguresToSay) {
    EXPECT_NE(log("launch").find("[NSStatusItem1.button setAccessibilityLabel:\"CPU Usage: --, "
                                 "CPU Temp: collecting…, Download: --, Upload: --\"]\n"),
              std::string::npos);
}

// The reader's value reaches the spoken label with the menu line, not a second later.
TEST_F(AppKitTest, ATemperatureRewritesTheSpokenLabelAtOnce) {
    EXPECT_EQ(log("temperature"),
              "[NSMenuItem3 setTitle:…]\n[NSMenuItem4 setHidden:YES]\n"
              "[NSStatusItem1.button setAccessibilityLabel:\"CPU Usage: --, CPU Temp: 45.0 °C, "
              "Download: --, Upload: --\"]\n");
}

// The new temperature text and the wider download text; the item widens for the second.
TEST_F(AppKitTest, ATickRewritesTheReadoutTheMenuAndTheButtonsSpokenLabel) {
    EXPECT_EQ(log("tick"),
              "[TarvoCustomView1 setNeedsDisplay:YES]\n[TarvoCustomView1 setNeedsDisplay:YES]\n"
              "[TarvoCustomView1 setNeedsDisplay:YES]\n[NSStatusItem1 setLength:55.5]\n"
              "[NSMenuItem2 setTitle:…]\n[NSMenuItem3 setTitle:…]\n[NSMenuItem4 setHidden:YES]\n"
              "[NSMenuItem5 setTitle:…]\n[NSMenuItem6 setTitle:…]\n"
              "[NSStatusItem1.button setAccessibilityLabel:\"CPU Usage: 0.0 %, CPU Temp: 45.0 °C, "
              "Download: 2.50 MB/s, Upload: 0 B/s\"]\n");
}

// Its action, which takes no sender, goes to the delegate. Its tick has the figures of the timer's
// tick at 2 s, which fired while the menu was open: the spoken label stays.
TEST_F(AppKitTest, RefreshNowReachesTheDelegateAndTicksAtOnce) {
    EXPECT_NE(log("launch").find("action:refreshNow keyEquivalent:\"r\"]"), std::string::npos);
    EXPECT_EQ(log("Refresh Now"),
              "[TarvoAppDelegate1 refreshNow]\n[NSStatusItem1 setLength:46.5]\n"
              "[NSMenuItem2 setTitle:…]\n[NSMenuItem3 setTitle:…]\n[NSMenuItem4 setHidden:YES]\n"
              "[NSMenuItem5 setTitle:…]\n[NSMenuItem6 setTitle:…]\n");
}

// Its action goes to the delegate. No tick follows.
TEST_F(AppKitTest, QuitStopsTheTimerThenTerminates) {
    EXPECT_NE(log("launch").find("action:quit keyEquivalent:\"q\"]"), std::string::npos);
    EXPECT_EQ(log("Quit"), "[TarvoAppDelegate1 quit]\n[NSTimer1 invalidate]\n"
                           "[NSApplication sharedApplication]\n"
                           "[NSApplication.sharedApplication terminate:nil]\n");
}

// Kept by the toolkit after the program let them go, they answer nothing: no message follows.
TEST_F(AppKitTest, TheViewAndDelegateIgnoreMessagesThatComeLate) {
    EXPECT_EQ(log("late"),
              "[TarvoCustomView1 drawRect:{0, 0, 0, 0}]\n[TarvoAppDelegate1 refreshNow]\n");
}

TEST_F(AppKitTest, AViewDecodedFromAnArchiveInitialisesThroughNSView) {
    EXPECT_EQ(
        log("decode"),
        "[TarvoCustomView2 initWithCoder:nil]\n[super(TarvoCustomView2) initWithCoder:nil]\n");
}

// Sent, a message was checked against its declaration. The symbols' types and the values are
// checked as the test builds (Sdk.cpp). A class the doubles lack answers nothing: the run shows
// it.
TEST_F(AppKitTest, EverySelectorTheBindingNamesIsDeclaredAndSent) {
    log("decode");
    std::set<std::string> declared(declaredElsewhere.begin(), declaredElsewhere.end());
    for (const auto& [name, superclass, methods] : declaredClasses) {
        for (const auto& [kind, returnType, selector, argumentTypes] : methods) {
            declared.insert(selector);
        }
    }
    const std::map<std::string, std::string> sent(world().messages.begin(), world().messages.end());
    EXPECT_EQ(sent.size(), declared.size());
    EXPECT_EQ(namedInBinding(R"re(sel_registerName\("([^"]+)"\))re"), declared);
}

} // namespace
} // namespace tarvo::appkit::doubles
