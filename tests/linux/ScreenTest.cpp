#include "platform/linux/Screen.h"
#include "platform/Application.h"
#include "platform/Menu.h"
#include "platform/StatusBar.h"
#include "platform/linux/DisplayWidth.h"
#include "platform/linux/Keys.h"
#include "platform/model/Toolkit.h"
#include "presentation/StatusView.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::terminal {
namespace {

using namespace platform;

// Splits a full-screen frame into its lines, without the cursor and clearing sequences.
std::vector<std::string> linesOf(std::string_view frame) {
    constexpr std::string_view home = "\x1b[H";
    constexpr std::string_view end = "\x1b[K\x1b[J";
    constexpr std::string_view lineBreak = "\x1b[K\r\n";
    EXPECT_TRUE(frame.starts_with(home) && frame.ends_with(end));
    frame = frame.substr(home.size(), frame.size() - home.size() - end.size());
    std::vector<std::string> lines;
    for (std::size_t next; (next = frame.find(lineBreak)) != std::string_view::npos;) {
        lines.emplace_back(frame.substr(0, next));
        frame.remove_prefix(next + lineBreak.size());
    }
    lines.emplace_back(frame);
    return lines;
}

class TerminalScreen : public testing::Test {
protected:
    // First, so that the objects below belong to the fresh toolkit.
    struct FreshToolkit {
        FreshToolkit() { model::resetToolkit(); }
    } freshToolkit;

    TerminalScreen() {
        Button button = *item.button();
        button.addSubview(view.view());
        view.view().setTranslatesAutoresizingMaskIntoConstraints(false);
        const CustomView& content = view.view();
        LayoutConstraint::activate({
            content.anchor(LayoutEdge::leading)
                .constraintEqualToAnchor(button.anchor(LayoutEdge::leading)),
            content.anchor(LayoutEdge::trailing)
                .constraintEqualToAnchor(button.anchor(LayoutEdge::trailing)),
            content.anchor(LayoutEdge::top).constraintEqualToAnchor(button.anchor(LayoutEdge::top)),
            content.anchor(LayoutEdge::bottom)
                .constraintEqualToAnchor(button.anchor(LayoutEdge::bottom)),
        });
        item.setLength(view.preferredWidth());

        header.setEnabled(false);
        refresh.setTarget(delegate);
        quit.setTarget(delegate);
        secret.setHidden(true);
        for (const MenuItem& line : {header, MenuItem::separatorItem(), refresh, secret, quit}) {
            menu.addItem(line);
        }
        item.setMenu(menu);
    }

    std::vector<std::string> trace;
    ApplicationDelegate delegate{DelegateActions{
        .applicationDidFinishLaunching = {},
        .refreshNow = [this] { trace.push_back("refreshNow"); },
        .quit = [this] { trace.push_back("quit"); },
    }};
    StatusItem item = StatusBar::system().statusItemWithLength(variableStatusItemLength);
    StatusView view;
    Menu menu;
    MenuItem header{"Header", "", ""};
    MenuItem refresh{"Refresh Now", "refreshNow", "r"};
    MenuItem secret{"Secret", "quit", "s"};
    MenuItem quit{"Quit Tarvo", "quit", "q"};
    Screen screen;
};

TEST_F(TerminalScreen, ShowsTheReadoutOnTwoRowsAndTheMenuUnderIt) {
    // Readout cells: left column at 4 points (column 1), right column at 4 + 16 + 7 = 27 points
    // (column 7). Menu: 14 columns inside, the key equivalents at the right edge.
    EXPECT_EQ(linesOf(screen.terminalFrame({40, 10})), (std::vector<std::string>{
                                                           " --%   ↑0B",
                                                           " --°C  ↓0B",
                                                           "",
                                                           "\x1b[2m Header\x1b[22m",
                                                           "────────────────",
                                                           " Refresh Now  r",
                                                           " Quit Tarvo   q",
                                                       }));
}

TEST_F(TerminalScreen, HiddenItemsVanishAndComeBack) {
    screen.terminalFrame({40, 10});
    secret.setHidden(false);
    refresh.setHidden(true);
    const auto lines = linesOf(screen.terminalFrame({40, 10}));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5], " Secret      s");
    EXPECT_EQ(lines[6], " Quit Tarvo  q");
}

TEST_F(TerminalScreen, ClipsToTheTerminal) {
    EXPECT_EQ(linesOf(screen.terminalFrame({8, 4})),
              (std::vector<std::string>{" --%   ↑", " --°C  ↓", "", "\x1b[2m Header\x1b[22m"}));
}

TEST_F(TerminalScreen, HandsOutAFrameOnlyWhenSomethingChangedOrAfterAResize) {
    EXPECT_FALSE(screen.terminalFrame({40, 10}).empty());
    EXPECT_TRUE(screen.terminalFrame({40, 10}).empty());
    view.setDownText("↓2.5M");
    item.setLength(view.preferredWidth());
    EXPECT_EQ(linesOf(screen.terminalFrame({40, 10}))[1], " --°C  ↓2.5M");
    quit.setTitle("Quit");
    EXPECT_EQ(linesOf(screen.terminalFrame({40, 10})).back(), " Quit         q");
    screen.invalidate();
    EXPECT_FALSE(screen.terminalFrame({40, 10}).empty());
}

TEST_F(TerminalScreen, PlainOutputIsOneLinePerChange) {
    std::string output;
    for (const std::string_view down : {"↓0B", "↓0B", "↓12K", "↓12K", "↓2.5M"}) {
        view.setDownText(down);
        output += screen.plainLine();
    }
    EXPECT_EQ(output, "--% --°C ↑0B ↓0B | Header | Refresh Now | Quit Tarvo\n"
                      "--% --°C ↑0B ↓12K | Header | Refresh Now | Quit Tarvo\n"
                      "--% --°C ↑0B ↓2.5M | Header | Refresh Now | Quit Tarvo\n");
    EXPECT_EQ(output.find('\x1b'), std::string::npos);
}

TEST_F(TerminalScreen, KeysActAsTheKeyEquivalentsOfShownEnabledItems) {
    pressKey('q');
    pressKey('r');
    pressKey('s'); // hidden
    pressKey('x'); // nobody's
    EXPECT_EQ(trace, (std::vector<std::string>{"quit", "refreshNow"}));

    refresh.setEnabled(false);
    pressKey('r');
    EXPECT_EQ(trace.size(), 2u);
    EXPECT_FALSE(model::toolkit().isTerminated);
}

TEST_F(TerminalScreen, ControlCTerminates) {
    pressKey('\x03');
    EXPECT_TRUE(model::toolkit().isTerminated);
    EXPECT_TRUE(trace.empty()) << "terminates directly, not through the quit action";
}

struct Width {
    std::string_view text;
    int columns;
};

TEST(DisplayWidth, CountsColumnsAndNeverSplitsACharacter) {
    for (const Width& width : {Width{"", 0}, Width{"48°C", 4}, Width{"↑12K", 4}, Width{"↓0B", 3},
                               Width{"菜单栏监控", 10}, Width{"直读，无需", 10},
                               Width{"Tarvo · Mac", 11}, Width{"\xff\xfe", 2}}) {
        EXPECT_EQ(displayWidth(width.text), width.columns) << width.text;
    }
    EXPECT_EQ(fitColumns("↑2.5M", 2).text, "↑2");
    EXPECT_EQ(fitColumns("菜单栏", 5).text, "菜单");
    EXPECT_EQ(fitColumns("菜单栏", 5).columns, 4);
    EXPECT_EQ(fitColumns("°C", 0).text, "");
}

} // namespace
} // namespace tarvo::terminal
