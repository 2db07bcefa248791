#include "support/AppHarness.h"
#include "support/SMCKeys.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>

namespace tarvo::simulated {

using model::Call;

enum Line : std::size_t {
    header = 0,
    cpuLine = 2,
    tempLine = 3,
    hintLine = 4,
    downLine = 5,
    upLine = 6
};

class App : public testing::Test {
protected:
    // Adds one interval of processor ticks and interface bytes for the next read.
    static void nextInterval(std::uint64_t busy, std::uint64_t idle, std::uint64_t down = 0,
                             std::uint64_t up = 0) {
        system().processorTicks->user += busy;
        system().processorTicks->idle += idle;
        system().interfaces->front().received += down;
        system().interfaces->front().sent += up;
    }

    static const std::string& title(Line line) { return AppHarness::menuItem(line).title; }

    AppHarness harness;
};

// Launched, before the first tick.
struct Launched : App {
    void SetUp() override { harness.launch(); }
};

// The launch steps, as the toolkit, the kernel and the SMC saw them among all the calls made (how
// the view is hosted shows in what it draws), then what launch shows. Their order matters only at
// the ends: no Dock icon ever shows, and the activity begins once all is in place.
TEST_F(Launched, LaunchRunsItsStepsAndShowsTheInitialTexts) {
    Texts steps{
        "NSApp setActivationPolicy: 1", "NSStatusBar statusItemWithLength: -1",
        "button1 setTitle: ", "button1 setImage: nil", "statusItem1 setLength: 50",
        "statusItem1 setMenu: menu1", "kernel processorTicks", "kernel interfaces",
        "NSTimer scheduledTimerWithTimeInterval:repeats:block: 1 YES",
        "NSRunLoop addTimer:forMode: timer1 NSRunLoopCommonModes", "AppleSMC open",
        // NSActivityUserInitiatedAllowingIdleSystemSleep; one step, too long for a line
        // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
        "NSProcessInfo beginActivityWithOptions:reason: 15728639 Tarvo refreshes its menu bar "
        "readout every second."};
    Texts made = AppHarness::callsFrom(); // a step made otherwise, or twice, fails
    std::erase_if(
        made, [&](const auto& call) { return std::count(steps.begin(), steps.end(), call) == 0; });
    ASSERT_FALSE(made.empty()) << "no launch step was made";
    EXPECT_EQ(std::tuple(made.front(), made.back()), std::tuple(steps.front(), steps.back()));
    std::sort(made.begin(), made.end()), std::sort(steps.begin(), steps.end());
    EXPECT_EQ(made, steps);

    EXPECT_EQ(AppHarness::shownMenu(),
              (Texts{"Tarvo for Mac · Menu Bar Monitor", "-", "CPU Usage: --",
                     "CPU Temp: collecting…", "(Direct AppleSMC read, no admin needed)",
                     "Download: --", "Upload: --", "-", "Refresh Now", "-", "Quit Tarvo"}));
    for (const Line line : {header, cpuLine, tempLine, hintLine, downLine, upLine}) {
        EXPECT_FALSE(AppHarness::menuItem(line).isEnabled) << line;
    }
}

TEST_F(Launched, TickWritesLoadAndRatesToTheViewAndTheMenu) {
    nextInterval(2364, 7636, 2'500'000, 7);
    mainLoop().advance(1.0);
    EXPECT_EQ(AppHarness::drawnTexts(), (Texts{"24%", "--°C", "↑7B", "↓2.5M"}));
    EXPECT_EQ((Texts{title(cpuLine), title(downLine), title(upLine)}),
              (Texts{"CPU Usage: 23.6 %", "Download: 2.50 MB/s", "Upload: 7 B/s"}));
}

// The second tick's texts are those of the first.
TEST_F(Launched, TickSizesTheItemToTheViewEvenWhenNoTextChanged) {
    nextInterval(0, 100, 2'500'000);
    mainLoop().advance(1.0);
    const std::size_t before = calls().size();
    nextInterval(0, 100, 2'500'000);
    mainLoop().advance(1.0);
    const Texts made = AppHarness::callsFrom(before);
    EXPECT_EQ(std::count(made.begin(), made.end(), "statusItem1 setLength: 60"), 1)
        << "5 points a character: a column as wide as ↓2.5M";
}

// That it ticks at once shows in the rates.
TEST_F(Launched, RefreshNowLeavesTheTimerOnItsSchedule) {
    mainLoop().advance(1.5);
    ASSERT_TRUE(chooseMenuItem("Refresh Now"));
    mainLoop().advance(0.5);
    EXPECT_EQ(system().processorTicksReads, 4) << "the tick at 2 s";
}

// Half a second after a tick, then the tick half a second later: each span's own rate.
TEST_F(Launched, RatesArePerSecondOfTheSpanSinceThePreviousRefresh) {
    mainLoop().advance(1.0);
    nextInterval(0, 0, 0, 1500);
    mainLoop().advance(0.5);
    ASSERT_TRUE(pressKeyEquivalent("r"));
    EXPECT_EQ(title(upLine), "Upload: 3 KB/s");
    nextInterval(0, 0, 0, 1500);
    mainLoop().advance(0.5);
    EXPECT_EQ(title(upLine), "Upload: 3 KB/s");
}

TEST_F(Launched, UnreadableLoadShowsAsNotAvailable) {
    system().processorTicks.reset();
    mainLoop().advance(1.0);
    EXPECT_EQ(AppHarness::drawnTexts().at(0), "--%");
    EXPECT_EQ(title(cpuLine), "CPU Usage: N/A");
}

TEST_F(Launched, QuitStopsTheTimerAndTheReaderThenTerminates) {
    const std::size_t before = calls().size();
    ASSERT_TRUE(pressKeyEquivalent("q"));
    EXPECT_EQ(AppHarness::callsFrom(before),
              (Texts{"timer1 invalidate", "AppleSMC close", "NSApplication sharedApplication",
                     "NSApp terminate: nil"}));
}

// The SMC opens at launch, but no sensor answers yet.
TEST_F(Launched, TemperatureGoesFromLaunchedToCollectingToReading) {
    mainLoop().advance(1.0);
    EXPECT_EQ(title(tempLine), "CPU Temp: collecting…");
    EXPECT_EQ(title(hintLine), "(Opening AppleSMC to read temperature)");
    EXPECT_FALSE(AppHarness::menuItem(hintLine).isHidden);

    // The pass at 2 s, just after that second's tick, averages 47.46: the callback rewrites the
    // line at once.
    giveSensors({47.0F, 47.92F});
    mainLoop().advance(1.0);
    EXPECT_EQ(title(tempLine), "CPU Temp: 47.5 °C");
    EXPECT_TRUE(AppHarness::menuItem(hintLine).isHidden);

    // The pass at 4 s reads 60, but the main thread is busy and its callback waits: the tick at
    // 5 s shows the reader's value, while the menu keeps the last one handed over.
    giveSensors({60.0F});
    mainLoop().holdPostedTasks();
    mainLoop().advance(3.0);
    EXPECT_EQ(AppHarness::drawnTexts().at(1), "60°C");
    EXPECT_EQ(title(tempLine), "CPU Temp: 47.5 °C");
}

// Without the SMC the menu says so, without a button only the menu is refreshed.
TEST_F(App, WithoutTheSMCOrAButtonOnlyTheMenuShowsTheFigures) {
    smc().hasService = false;
    toolkit().statusItemsHaveButton = false;
    harness.launch();
    // The reader's NaN comes once launch is over.
    const auto unavailable = std::find(calls().begin(), calls().end(),
                                       Call{"menuItem4", "setTitle:", {"CPU Temp: unavailable"}});
    EXPECT_EQ(std::prev(unavailable)->selector, "beginActivityWithOptions:reason:");
    nextInterval(50, 50);
    mainLoop().advance(1.0);
    EXPECT_EQ(title(cpuLine), "CPU Usage: 50.0 %");
    EXPECT_EQ(title(tempLine), "CPU Temp: unavailable");
    EXPECT_EQ(title(hintLine), "(AppleSMC service unavailable)");
    EXPECT_FALSE(AppHarness::menuItem(hintLine).isHidden);
    EXPECT_EQ(toolkit().statusItems.front().length, -1.0);
}

// A pass still running keeps the reader alive after the delegate is gone, and the callback it
// queued earlier then runs.
TEST_F(App, TimerAndTemperatureCallbackDoNothingOnceTheDelegateIsGone) {
    giveSensors({50.0F});
    harness.launch();
    mainLoop().holdPostedTasks();
    mainLoop().advance(0.0);
    ASSERT_EQ(mainLoop().pendingTasks(), 1u);
    std::size_t goneAt = 0;
    smc().observer = [&](const char*) {
        if (harness.program.delegate) {
            harness.program.delegate.reset();
            goneAt = calls().size();
            mainLoop().runPostedTasks();
        }
    };
    mainLoop().advance(3.0);
    ASSERT_NE(goneAt, 0u);
    EXPECT_EQ(calls().size(), goneAt) << "no tick and no menu line after the delegate is gone";
    // Once that pass is over, nothing keeps the reader: neither its timer nor its queued average.
    EXPECT_EQ(smc().closes, 1);
}

} // namespace tarvo::simulated
