#include "appkit/AppKitHarness.h"

namespace tarvo::appkit::doubles {
namespace {

bool isMeasuring(const Message& message) {
    return message.selector == "monospacedDigitSystemFontOfSize:weight:" ||
           message.selector == "dictionaryWithObjects:forKeys:count:" ||
           message.selector == "sizeWithAttributes:";
}

std::vector<Message> launchMessages() {
    std::vector<Message> messages = AppOnAppKit::messagesSince(0);
    std::erase_if(messages, isMeasuring);
    return messages;
}

std::vector<Message> informationLine(const std::string& item, const std::string& title) {
    return {{item, "initWithTitle:action:keyEquivalent:", {'"' + title + '"', "nil", "\"\""}},
            {item, "setEnabled:", {"NO"}},
            {"menu1", "addItem:", {item}}};
}

std::vector<Message> separator(const std::string& item) {
    return {{"NSMenuItem", "separatorItem", {}}, {"menu1", "addItem:", {item}}};
}

std::vector<Message> command(const std::string& item, const std::string& title,
                             const std::string& action, const std::string& key) {
    return {{item, "initWithTitle:action:keyEquivalent:", {'"' + title + '"', action, key}},
            {item, "setTarget:", {"tarvoAppDelegate1"}},
            {"menu1", "addItem:", {item}}};
}

std::vector<Message> pinned(const std::string& edge) {
    const std::string anchor = edge + "Anchor";
    return {
        {"tarvoCustomView1", anchor, {}},
        {"statusBarButton1", anchor, {}},
        {"tarvoCustomView1." + anchor, "constraintEqualToAnchor:", {"statusBarButton1." + anchor}}};
}

template <typename... Parts>
std::vector<Message> concatenated(std::vector<Message> first, Parts... rest) {
    (first.insert(first.end(), rest.begin(), rest.end()), ...);
    return first;
}

TEST_F(AppOnAppKit, EntryPointAndLaunchSendEveryCallInOrder) {
    launch();
    const std::vector<Message> expected = concatenated(
        std::vector<Message>{
            {"NSApplication", "sharedApplication", {}},
            {"tarvoAppDelegate1", "init", {}},
            {"NSApp", "setDelegate:", {"tarvoAppDelegate1"}},
            {"NSApp", "run", {}},
            {"tarvoAppDelegate1", "applicationDidFinishLaunching:", {"nil"}},
            {"NSApplication", "sharedApplication", {}},
            {"NSApp", "setActivationPolicy:", {"1"}},
            {"NSStatusBar", "systemStatusBar", {}},
            {"systemStatusBar", "statusItemWithLength:", {"-1"}},
            {"statusItem1", "button", {}},
            {"statusBarButton1", "setTitle:", {"\"\""}},
            {"statusBarButton1", "setImage:", {"nil"}},
            {"tarvoCustomView1", "initWithFrame:", {"{0, 0, 0, 0}"}},
            {"super tarvoCustomView1", "initWithFrame:", {"{0, 0, 0, 0}"}},
            {"tarvoCustomView1", "setTranslatesAutoresizingMaskIntoConstraints:", {"NO"}},
            {"statusBarButton1", "addSubview:", {"tarvoCustomView1"}},
        },
        pinned("leading"), pinned("trailing"), pinned("top"), pinned("bottom"),
        std::vector<Message>{
            {"NSArray", "arrayWithObjects:count:", {"<pointer>", "4"}},
            {"NSLayoutConstraint",
             "activateConstraints:",
             {"[tarvoCustomView1.leading == statusBarButton1.leading, "
              "tarvoCustomView1.trailing == statusBarButton1.trailing, "
              "tarvoCustomView1.top == statusBarButton1.top, "
              "tarvoCustomView1.bottom == statusBarButton1.bottom]"}},
            {"statusItem1", "setLength:", {"46.5"}},
            {"menu1", "init", {}},
        },
        informationLine("menuItem1", "Tarvo for Mac · Menu Bar Monitor"), separator("menuItem2"),
        informationLine("menuItem3", "CPU Usage: --"),
        informationLine("menuItem4", "CPU Temp: collecting…"),
        informationLine("menuItem5", "(Direct AppleSMC read, no admin needed)"),
        informationLine("menuItem6", "Download: --"), informationLine("menuItem7", "Upload: --"),
        separator("menuItem8"), command("menuItem9", "Refresh Now", "refreshNow", "\"r\""),
        separator("menuItem10"), command("menuItem11", "Quit Tarvo", "quit", "\"q\""),
        std::vector<Message>{
            {"statusItem1", "setMenu:", {"menu1"}},
            {"NSTimer", "scheduledTimerWithTimeInterval:repeats:block:", {"1", "YES", "<pointer>"}},
            {"NSRunLoop", "mainRunLoop", {}},
            {"mainRunLoop", "addTimer:forMode:", {"timer1", "NSRunLoopCommonModes"}},
            {"NSProcessInfo", "processInfo", {}},
            {"processInfo",
             "beginActivityWithOptions:reason:",
             {"15728639", "\"Tarvo refreshes its menu bar readout every second.\""}},
        });
    EXPECT_EQ(launchMessages(), expected);
    EXPECT_EQ(world().state<ApplicationState>(world().application).activationPolicy, 1);
}

// Each of the four initial texts is measured with the readout font as its only attribute:
// 4 + max(18, 13.5) + 7 + max(13.5, 13.5) + 4 points, at 4.5 points a character.
TEST_F(AppOnAppKit, ItemLengthIsTheReadoutMeasuredInItsFont) {
    launch();
    std::vector<std::string> measured;
    for (const Message& message : messagesSince(0)) {
        if (message.selector == "sizeWithAttributes:") {
            EXPECT_EQ(message.arguments,
                      std::vector<std::string>{"{NSFontAttributeName: font(9, 0.23)}"});
            measured.push_back(message.receiver);
        }
    }
    // Each column's two texts, in either order.
    std::sort(measured.begin(), measured.end());
    EXPECT_EQ(measured, (std::vector<std::string>{"\"--%\"", "\"--°C\"", "\"↑0B\"", "\"↓0B\""}));
    EXPECT_EQ(world().state<StatusItemState>(firstStatusItem()).length, 46.5);
}

TEST_F(AppOnAppKit, WithoutAButtonTheMenuIsStillBuiltAndTheTimerStarted) {
    world().statusItemsHaveButton = false;
    launch();
    const std::vector<Message> messages = launchMessages();
    const auto button =
        std::find(messages.begin(), messages.end(), Message{"statusItem1", "button", {}});
    ASSERT_NE(button, messages.end());
    EXPECT_EQ(*std::next(button), (Message{"menu1", "init", {}}));
    EXPECT_EQ(menuItems().size(), 11u);
    EXPECT_EQ(world().state<StatusItemState>(firstStatusItem()).length, -1.0);
    EXPECT_EQ(messages.back().selector, "beginActivityWithOptions:reason:");
}

} // namespace
} // namespace tarvo::appkit::doubles
