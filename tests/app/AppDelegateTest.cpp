#include "support/AppHarness.h"
#include "support/SMCKeys.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace tarvo::simulated {
namespace {

using model::Call;

enum Line : std::size_t {
    header,
    cpuLine = 2,
    tempLine,
    hintLine,
    downLine,
    upLine,
    refresh = 8,
    quit = 10
};

class App : public testing::Test {
protected:
    // Adds one interval of processor ticks and interface bytes for the next read.
    static void nextInterval(std::uint64_t busy, std::uint64_t idle, std::uint64_t down = 0,
                             std::uint64_t up = 0) {
        auto& ticks = *system().processorTicks;
        ticks.user += busy;
        ticks.idle += idle;
        auto& en0 = system().interfaces->front();
        en0.received += down;
        en0.sent += up;
    }

    static void giveSensors(std::vector<float> celsius) {
        const char* keys[] = {"Tp01", "Tp05", "Tp09", "Tp0D", "Te05", "Te0S", "Te09", "Te0H"};
        smc().keys.clear();
        for (std::size_t i = 0; i < celsius.size(); ++i) {
            smc().keys[smc::fourCC(keys[i])] = floatKey(celsius[i]);
        }
    }

    AppHarness harness;
};

TEST_F(App, LaunchRunsItsStepsInOrder) {
    harness.launch();
    const std::set<std::string> steps{"setActivationPolicy:",
                                      "statusItemWithLength:",
                                      "setTitle:",
                                      "setImage:",
                                      "setTranslatesAutoresizingMaskIntoConstraints:",
                                      "addSubview:",
                                      "activateConstraints:",
                                      "setLength:",
                                      "setMenu:",
                                      "processorTicks",
                                      "interfaces",
                                      "scheduledTimerWithTimeInterval:repeats:block:",
                                      "addTimer:forMode:",
                                      "open",
                                      "beginActivityWithOptions:reason:"};
    std::vector<Call> order;
    std::copy_if(calls().begin(), calls().end(), std::back_inserter(order),
                 [&](const Call& call) { return steps.contains(call.selector); });
    EXPECT_EQ(order, (std::vector<Call>{
                         {"NSApp", "setActivationPolicy:", {"1"}},
                         {"NSStatusBar", "statusItemWithLength:", {"-1"}},
                         {"button1", "setTitle:", {""}},
                         {"button1", "setImage:", {"nil"}},
                         {"view2", "setTranslatesAutoresizingMaskIntoConstraints:", {"NO"}},
                         {"button1", "addSubview:", {"view2"}},
                         {"NSLayoutConstraint",
                          "activateConstraints:",
                          {"constraint1", "constraint2", "constraint3", "constraint4"}},
                         {"statusItem1", "setLength:", {"50"}},
                         {"statusItem1", "setMenu:", {"menu1"}},
                         {"kernel", "processorTicks", {}},
                         {"kernel", "interfaces", {}},
                         {"NSTimer", "scheduledTimerWithTimeInterval:repeats:block:", {"1", "YES"}},
                         {"NSRunLoop", "addTimer:forMode:", {"timer1", "NSRunLoopCommonModes"}},
                         {"AppleSMC", "open", {}},
                         // NSActivityUserInitiatedAllowingIdleSystemSleep
                         {"NSProcessInfo",
                          "beginActivityWithOptions:reason:",
                          {"15728639", "Tarvo refreshes its menu bar readout every second."}},
                     }));

    // The view covers the button: leading, trailing, top, bottom, each equal to the button's.
    const auto& constraints = toolkit().constraints;
    ASSERT_EQ(constraints.size(), 4u);
    const platform::LayoutEdge edges[] = {platform::LayoutEdge::leading,
                                          platform::LayoutEdge::trailing, platform::LayoutEdge::top,
                                          platform::LayoutEdge::bottom};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(constraints[i].view->name, "view2");
        EXPECT_EQ(constraints[i].other->name, "button1");
        EXPECT_EQ(constraints[i].edge, edges[i]);
        EXPECT_EQ(constraints[i].otherEdge, edges[i]);
        EXPECT_TRUE(constraints[i].isActive);
    }
}

TEST_F(App, MenuShowsInitialLinesRightAfterLaunch) {
    harness.launch();
    EXPECT_EQ(AppHarness::shownMenu(),
              (std::vector<std::string>{"Tarvo for Mac · Menu Bar Monitor", "-", "CPU Usage: --",
                                        "CPU Temp: collecting…",
                                        "(Direct AppleSMC read, no admin needed)", "Download: --",
                                        "Upload: --", "-", "Refresh Now", "-", "Quit Tarvo"}));
    for (std::size_t line : {header, cpuLine, tempLine, hintLine, downLine, upLine}) {
        EXPECT_FALSE(AppHarness::menuItem(line).isEnabled) << line;
        EXPECT_TRUE(AppHarness::menuItem(line).action.empty()) << line;
    }
    const model::MenuItemNode& refreshItem = AppHarness::menuItem(refresh);
    const model::MenuItemNode& quitItem = AppHarness::menuItem(quit);
    EXPECT_EQ(refreshItem.action, "refreshNow");
    EXPECT_EQ(refreshItem.keyEquivalent, "r");
    EXPECT_EQ(quitItem.action, "quit");
    EXPECT_EQ(quitItem.keyEquivalent, "q");
    EXPECT_TRUE(refreshItem.isEnabled && quitItem.isEnabled);
    EXPECT_EQ(refreshItem.target, toolkit().applicationDelegate);
    EXPECT_EQ(quitItem.target, toolkit().applicationDelegate);
    EXPECT_EQ(AppHarness::drawnTexts(), (std::vector<std::string>{"--%", "--°C", "↑0B", "↓0B"}));
}

TEST_F(App, FirstRefreshComesOneSecondAfterLaunch) {
    harness.launch();
    EXPECT_EQ(system().processorTicksReads, 1);
    AppHarness::advance(0.999);
    EXPECT_EQ(system().processorTicksReads, 1);
    AppHarness::advance(0.001);
    EXPECT_EQ(system().processorTicksReads, 2);
    EXPECT_EQ(system().interfaceReads, 2);
}

struct TickCase {
    std::uint64_t busy;
    std::uint64_t idle;
    bool countersFail;
    const char* viewText;
    const char* menuTitle;
};

class AppTick : public App, public testing::WithParamInterface<TickCase> {};

TEST_P(AppTick, WritesTheLoadToViewAndMenu) {
    const TickCase& tick = GetParam();
    harness.launch();
    nextInterval(tick.busy, tick.idle);
    if (tick.countersFail) {
        system().processorTicks.reset();
    }
    AppHarness::advance(1.0);
    EXPECT_EQ(AppHarness::drawnTexts().at(0), tick.viewText);
    EXPECT_EQ(AppHarness::menuItem(cpuLine).title, tick.menuTitle);
}

INSTANTIATE_TEST_SUITE_P(Loads, AppTick,
                         testing::Values(TickCase{0, 100, false, "0%", "CPU Usage: 0.0 %"},
                                         TickCase{2364, 7636, false, "24%", "CPU Usage: 23.6 %"},
                                         TickCase{9996, 4, false, "100%", "CPU Usage: 100.0 %"},
                                         TickCase{100, 0, false, "100%", "CPU Usage: 100.0 %"},
                                         TickCase{0, 0, true, "--%", "CPU Usage: N/A"}));

TEST_F(App, NetworkFiguresGoToTheirOwnLinesAndItemLengthFollowsTheView) {
    harness.launch();
    nextInterval(0, 100, 2'500'000, 7);
    AppHarness::advance(1.0);
    const auto texts = AppHarness::drawnTexts();
    EXPECT_EQ(texts.at(2), "↑7B");
    EXPECT_EQ(texts.at(3), "↓2.5M");
    EXPECT_EQ(AppHarness::menuItem(downLine).title, "Download: 2.50 MB/s");
    EXPECT_EQ(AppHarness::menuItem(upLine).title, "Upload: 7 B/s");
    // Default font script: 5 points a character; "↓2.5M" is the wider right text.
    EXPECT_EQ(AppHarness::statusItem().length, 4.0 + 20.0 + 7.0 + 25.0 + 4.0);
}

TEST_F(App, EqualTextsRedrawNothingButTheLengthIsSetOnEveryTick) {
    harness.launch();
    nextInterval(0, 100);
    AppHarness::advance(1.0);
    AppHarness::drawnTexts();
    const std::size_t before = calls().size();
    nextInterval(0, 100);
    AppHarness::advance(1.0);
    EXPECT_TRUE(AppHarness::drawnTexts().empty());
    EXPECT_EQ(AppHarness::countCalls({"view2", "setNeedsDisplay:", {"YES"}}, before), 0);
    EXPECT_EQ(AppHarness::countCalls({"statusItem1", "setLength:", {"50"}}, before), 1);
}

TEST_F(App, TemperatureGoesFromLaunchedToCollectingToReading) {
    smc().hasService = true;
    giveSensors({47.0f, 47.92f}); // no pass has run yet at launch: the first runs at once
    harness.launch();
    EXPECT_EQ(AppHarness::menuItem(hintLine).title, "(Direct AppleSMC read, no admin needed)");

    smc().keys.clear(); // the first pass finds nothing usable
    AppHarness::advance(1.0);
    EXPECT_EQ(AppHarness::menuItem(tempLine).title, "CPU Temp: collecting…");
    EXPECT_EQ(AppHarness::menuItem(hintLine).title, "(Opening AppleSMC to read temperature)");
    EXPECT_FALSE(AppHarness::menuItem(hintLine).isHidden);
    EXPECT_EQ(AppHarness::drawnTexts().at(1), "--°C");

    // The next pass (at 2 s, just after that second's refresh) reads 47.46 on average: the
    // callback rewrites the line at once, without waiting for a refresh.
    giveSensors({47.0f, 47.92f});
    AppHarness::advance(1.0);
    EXPECT_EQ(AppHarness::menuItem(tempLine).title, "CPU Temp: 47.5 °C");
    EXPECT_TRUE(AppHarness::menuItem(hintLine).isHidden);
    EXPECT_EQ(AppHarness::menuItem(hintLine).title, "(Opening AppleSMC to read temperature)");

    // Refreshes without a new value keep it; the view shows the reader's value.
    smc().keys.clear();
    AppHarness::advance(1.0);
    EXPECT_EQ(AppHarness::menuItem(tempLine).title, "CPU Temp: 47.5 °C");
    EXPECT_EQ(AppHarness::drawnTexts().at(1), "47°C");
}

TEST_F(App, UnavailableSensorShowsInTheMenuOnly) {
    smc().hasService = false;
    harness.launch(); // the NaN arrives after launch, from the main queue
    EXPECT_EQ(AppHarness::menuItem(tempLine).title, "CPU Temp: unavailable");
    EXPECT_EQ(AppHarness::menuItem(hintLine).title, "(AppleSMC service unavailable)");
    AppHarness::advance(3.0);
    EXPECT_EQ(AppHarness::menuItem(tempLine).title, "CPU Temp: unavailable");
    EXPECT_FALSE(AppHarness::menuItem(hintLine).isHidden);
    EXPECT_EQ(AppHarness::drawnTexts().at(1), "--°C");
    for (const model::MenuItemNode* item : AppHarness::menuItems()) {
        EXPECT_EQ(item->title.find("系统权限受限"), std::string::npos);
    }
}

TEST_F(App, RefreshNowRunsAFullTickWithoutMovingTheTimer) {
    harness.launch();
    AppHarness::advance(1.5);
    nextInterval(0, 0, 300, 0);
    ASSERT_TRUE(chooseMenuItem("Refresh Now"));
    EXPECT_EQ(system().processorTicksReads, 3);
    EXPECT_EQ(AppHarness::menuItem(downLine).title, "Download: 300 B/s");
    AppHarness::advance(0.499);
    EXPECT_EQ(system().processorTicksReads, 3);
    AppHarness::advance(0.001);
    EXPECT_EQ(system().processorTicksReads, 4);
    ASSERT_TRUE(pressKeyEquivalent("r"));
    EXPECT_EQ(system().processorTicksReads, 5);
}

TEST_F(App, QuitInvalidatesTheTimerThenStopsTheReaderThenTerminates) {
    harness.launch();
    const std::size_t before = calls().size();
    ASSERT_TRUE(chooseMenuItem("Quit Tarvo"));
    const std::vector<Call> tail(calls().begin() + static_cast<long>(before), calls().end());
    EXPECT_EQ(tail, (std::vector<Call>{{"timer1", "invalidate", {}},
                                       {"AppleSMC", "close", {}},
                                       {"NSApplication", "sharedApplication", {}},
                                       {"NSApp", "terminate:", {"nil"}}}));
    AppHarness::advance(5.0);
    EXPECT_EQ(system().processorTicksReads, 1);
}

TEST_F(App, ChoosingAGreyedLineDoesNothing) {
    harness.launch();
    const std::size_t before = calls().size();
    chooseMenuItem("CPU Usage: --");
    EXPECT_EQ(calls().size(), before);
}

TEST_F(App, WithoutAButtonOnlyTheMenuIsRefreshed) {
    toolkit().statusItemsHaveButton = false;
    harness.launch();
    EXPECT_EQ(AppHarness::shownMenu().size(), 11u);
    nextInterval(50, 50);
    AppHarness::advance(1.0);
    EXPECT_EQ(AppHarness::menuItem(cpuLine).title, "CPU Usage: 50.0 %");
    EXPECT_EQ(AppHarness::countCalls({"statusItem1", "setLength:", {"50"}}), 0);
    EXPECT_EQ(AppHarness::statusItem().length, platform::variableStatusItemLength);
}

TEST_F(App, TimerAndCallbacksDoNothingOnceTheDelegateIsGone) {
    smc().hasService = false;
    harness.launch();
    harness.program.delegate.reset();
    AppHarness::advance(3.0);
    EXPECT_EQ(system().processorTicksReads, 1);
}

} // namespace
} // namespace tarvo::simulated
