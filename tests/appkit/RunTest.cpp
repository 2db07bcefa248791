#include "appkit/AppKitHarness.h"

namespace tarvo::appkit::doubles {
namespace {

using platform::Rect;

constexpr const char* readoutAttributes =
    "{NSFontAttributeName: font(9, 0.23), NSForegroundColorAttributeName: labelColor, "
    "NSParagraphStyleAttributeName: paragraphStyle(lineBreakMode 2, alignment 0)}";

// Adds one interval of processor ticks and interface bytes for the next read.
void nextInterval(std::uint64_t busy, std::uint64_t idle, std::uint64_t down, std::uint64_t up) {
    simulated::system().processorTicks->user += busy;
    simulated::system().processorTicks->idle += idle;
    simulated::system().interfaces->front().received += down;
    simulated::system().interfaces->front().sent += up;
}

std::vector<std::string> menuTitles() {
    std::vector<std::string> titles;
    for (id item : menuItems()) {
        const MenuItemState& state = world().state<MenuItemState>(item);
        if (!state.isHidden) {
            titles.push_back(state.isSeparator ? "-" : textOf(item));
        }
    }
    return titles;
}

// The font sets 4.5 points a character; its line height is ceil(9 + 2.25) = 12, so a 22-point
// view gets two rows of 11 points, with no margin.
TEST_F(AppOnAppKit, DisplayPassCallsDrawRectWhichDrawsTheFourCells) {
    launch();
    const std::size_t launched = messageCount();
    EXPECT_EQ(displayPass(), (std::vector<DrawnText>{
                                 {"--%", Rect{4.0, 11.0, 18.0, 11.0}, readoutAttributes},
                                 {"--°C", Rect{4.0, 0.0, 18.0, 11.0}, readoutAttributes},
                                 {"↑0B", Rect{29.0, 11.0, 13.5, 11.0}, readoutAttributes},
                                 {"↓0B", Rect{29.0, 0.0, 13.5, 11.0}, readoutAttributes},
                             }));
    EXPECT_TRUE(displayPass().empty()); // nothing changed
    const std::vector<Message> display = messagesSince(launched);
    EXPECT_EQ(display.front(), (Message{"tarvoCustomView1", "intrinsicContentSize", {}}));
    EXPECT_NE(std::find(display.begin(), display.end(),
                        Message{"tarvoCustomView1", "drawRect:", {"{0, 0, 46.5, 22}"}}),
              display.end());
}

TEST_F(AppOnAppKit, ViewGivesItsReadoutWidthAndFixedHeightAsIntrinsicSize) {
    launch();
    void* pool = world().pushPool();
    const CGSize size = send<CGSize>(hostedView(), sel_registerName("intrinsicContentSize"));
    world().popPool(pool);
    EXPECT_EQ(size.width, 46.5);
    EXPECT_EQ(size.height, 22.0);
}

TEST_F(AppOnAppKit, TicksComeFromTheTimerBlockEverySecond) {
    launch();
    const std::size_t launched = messageCount();
    advance(0.999);
    EXPECT_EQ(simulated::system().processorTicksReads, 1);
    EXPECT_EQ(messageCount(), launched);

    nextInterval(25, 75, 2'500'000, 0);
    advance(0.001);
    EXPECT_EQ(simulated::system().processorTicksReads, 2);
    std::vector<Message> tick = messagesSince(launched);
    std::erase_if(tick, [](const Message& message) {
        return message.selector == "monospacedDigitSystemFontOfSize:weight:" ||
               message.selector == "dictionaryWithObjects:forKeys:count:" ||
               message.selector == "sizeWithAttributes:";
    });
    EXPECT_EQ(tick, (std::vector<Message>{
                        {"tarvoCustomView1", "setNeedsDisplay:", {"YES"}},
                        {"tarvoCustomView1", "setNeedsDisplay:", {"YES"}},
                        {"statusItem1", "setLength:", {"55.5"}},
                        {"menuItem3", "setTitle:", {"\"CPU Usage: 25.0 %\""}},
                        {"menuItem4", "setTitle:", {"\"CPU Temp: collecting…\""}},
                        {"menuItem5", "setHidden:", {"NO"}},
                        {"menuItem5", "setTitle:", {"\"(Opening AppleSMC to read temperature)\""}},
                        {"menuItem6", "setTitle:", {"\"Download: 2.50 MB/s\""}},
                        {"menuItem7", "setTitle:", {"\"Upload: 0 B/s\""}},
                    }));

    // The wider download text widens the right column, the button and the view with it.
    const std::vector<DrawnText> drawn = displayPass();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].text, "25%");
    EXPECT_EQ(drawn[3].text, "↓2.5M");
    EXPECT_EQ(drawn[3].rect, (Rect{29.0, 0.0, 22.5, 11.0}));

    nextInterval(0, 100, 0, 0);
    advance(2.0);
    EXPECT_EQ(simulated::system().processorTicksReads, 4);
    EXPECT_EQ(menuTitles().at(2), "CPU Usage: 0.0 %");
    EXPECT_EQ(menuTitles().at(5), "Download: 0 B/s");
}

TEST_F(AppOnAppKit, ClickFallsThroughTheViewAndTheTimerKeepsFiringInTheOpenMenu) {
    launch();
    displayPass();
    const std::size_t before = messageCount();
    ASSERT_TRUE(clickStatusItem());
    EXPECT_EQ(messagesSince(before),
              (std::vector<Message>{{"tarvoCustomView1", "hitTest:", {"{23.25, 11}"}}}));
    nextInterval(50, 50, 0, 0);
    advance(1.0);
    EXPECT_EQ(menuTitles().at(2), "CPU Usage: 50.0 %");
}

TEST_F(AppOnAppKit, RefreshNowReachesTheDelegateThroughTargetAndAction) {
    launch();
    advance(1.5);
    ASSERT_TRUE(clickStatusItem());
    nextInterval(0, 0, 300, 0);
    const std::size_t before = messageCount();
    ASSERT_TRUE(chooseMenuItem("Refresh Now"));
    EXPECT_EQ(messagesSince(before).front(), (Message{"tarvoAppDelegate1", "refreshNow", {}}));
    EXPECT_EQ(simulated::system().processorTicksReads, 3);
    EXPECT_EQ(menuTitles().at(5), "Download: 300 B/s");
    advance(0.5); // the timer keeps its own rhythm
    EXPECT_EQ(simulated::system().processorTicksReads, 4);
}

TEST_F(AppOnAppKit, QuitInvalidatesTheTimerStopsTheReaderAndTerminates) {
    launch();
    ASSERT_TRUE(clickStatusItem());
    const std::size_t before = messageCount();
    ASSERT_TRUE(chooseMenuItem("Quit Tarvo"));
    EXPECT_EQ(messagesSince(before), (std::vector<Message>{
                                         {"tarvoAppDelegate1", "quit", {}},
                                         {"timer1", "invalidate", {}},
                                         {"NSApplication", "sharedApplication", {}},
                                         {"NSApp", "terminate:", {"nil"}},
                                     }));
    EXPECT_TRUE(world().state<ApplicationState>(world().application).isTerminated);
    EXPECT_EQ(simulated::smc().closes, simulated::smc().opens);
    // The timer let its block go, and with it the block's copy of the callback.
    EXPECT_TRUE(world().state<RunLoopState>(world().mainRunLoop).timers.empty());
    advance(5.0);
    EXPECT_EQ(simulated::system().processorTicksReads, 1);
}

} // namespace
} // namespace tarvo::appkit::doubles
