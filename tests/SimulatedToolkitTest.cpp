#include "platform/simulated/SimulatedToolkit.h"
#include "platform/Application.h"
#include "platform/CustomView.h"
#include "platform/Menu.h"
#include "platform/StatusBar.h"
#include "platform/Text.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {
namespace {

using namespace platform;

class SimulatedToolkit : public testing::Test {
protected:
    // First, so that the objects below belong to the fresh toolkit.
    struct FreshToolkit {
        FreshToolkit() { simulated::resetToolkit(); }
    } freshToolkit;

    std::vector<std::string> trace;
    ApplicationDelegate delegate{DelegateActions{
        .applicationDidFinishLaunching = [this] { trace.push_back("launch"); },
        .refreshNow = [this] { trace.push_back("refreshNow"); },
        .quit = [this] { trace.push_back("quit"); },
    }};
};

struct Line {
    std::string title;
    std::string action;
    bool enabled;
    bool hidden;
    bool chosen;      // the user can pick it at all
    bool reachesQuit; // and its action arrives
};

class ChoosingAnItem : public SimulatedToolkit, public testing::WithParamInterface<Line> {};

TEST_P(ChoosingAnItem, SendsTheActionToTheTargetOnlyWhenEnabledAndShown) {
    const Line& line = GetParam();
    Menu menu;
    MenuItem item(line.title, line.action, "q");
    item.setTarget(delegate);
    item.setEnabled(line.enabled);
    item.setHidden(line.hidden);
    menu.addItem(MenuItem::separatorItem());
    menu.addItem(item);
    StatusBar::system().statusItemWithLength(variableStatusItemLength).setMenu(menu);

    EXPECT_EQ(simulated::chooseMenuItem(line.title), line.chosen);
    EXPECT_EQ(trace,
              line.reachesQuit ? std::vector<std::string>{"quit"} : std::vector<std::string>{});
    trace.clear();
    EXPECT_EQ(simulated::pressKeyEquivalent("q"), line.chosen);
    EXPECT_EQ(trace.size(), line.reachesQuit ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Items, ChoosingAnItem,
                         testing::Values(Line{"Quit Tarvo", "quit", true, false, true, true},
                                         Line{"Quit Tarvo", "quit", false, false, true, false},
                                         Line{"Quit Tarvo", "quit", true, true, false, false},
                                         Line{"CPU Usage: --", "", true, false, true, false},
                                         Line{"Unknown", "unknownAction", true, false, true,
                                              false}));

class HostedView : public SimulatedToolkit {
protected:
    HostedView() {
        button.addSubview(*view);
        view->setTranslatesAutoresizingMaskIntoConstraints(false);
    }

    void pin() {
        LayoutConstraint::activate({
            view->anchor(LayoutEdge::leading)
                .constraintEqualToAnchor(button.anchor(LayoutEdge::leading)),
            view->anchor(LayoutEdge::trailing)
                .constraintEqualToAnchor(button.anchor(LayoutEdge::trailing)),
            view->anchor(LayoutEdge::top).constraintEqualToAnchor(button.anchor(LayoutEdge::top)),
            view->anchor(LayoutEdge::bottom)
                .constraintEqualToAnchor(button.anchor(LayoutEdge::bottom)),
        });
    }

    StatusItem item = StatusBar::system().statusItemWithLength(variableStatusItemLength);
    Button button = *item.button();
    std::unique_ptr<CustomView> view = std::make_unique<CustomView>(ViewCallbacks{
        .draw =
            [this](Rect) {
                const Font font = Font::monospacedDigitSystemFont(9.0, FontWeight::medium);
                drawText("x", view->bounds(),
                         TextAttributes(font, TextColor::label, LineBreakMode::clipping,
                                        TextAlignment::left));
            },
        .intrinsicContentSize =
            [] {
                return Size{42.0, 22.0};
            },
        .hitTest = {},
    });
};

TEST_F(HostedView, FillsTheButtonOnlyWhenPinnedToAllFourEdges) {
    EXPECT_EQ(view->bounds(), Rect{});
    pin();
    EXPECT_EQ(view->bounds(), (Rect{0.0, 0.0, 42.0, 22.0})) << "variable length: content width";
    item.setLength(60.0);
    EXPECT_EQ(view->bounds(), (Rect{0.0, 0.0, 60.0, 22.0}));
    view->setTranslatesAutoresizingMaskIntoConstraints(true);
    EXPECT_EQ(view->bounds(), Rect{});
}

TEST_F(HostedView, RedrawsWhenMarkedOrResizedAndNotAtAllOnceItsOwnerIsGone) {
    pin();
    ASSERT_EQ(simulated::displayPass().size(), 1u);
    EXPECT_TRUE(simulated::displayPass().empty());
    view->setNeedsDisplay(true);
    EXPECT_EQ(simulated::displayPass().size(), 1u);
    item.setLength(50.0);
    const auto resized = simulated::displayPass();
    ASSERT_EQ(resized.size(), 1u);
    EXPECT_EQ(resized[0].rect, (Rect{0.0, 0.0, 50.0, 22.0}));

    const std::string name = model::nodeOf<model::ViewNode>(view->object()).name;
    view.reset(); // the button still holds the native view
    item.setLength(70.0);
    EXPECT_TRUE(simulated::displayPass().empty());
    EXPECT_TRUE(simulated::toolkit().views[1].drawn.empty());
    EXPECT_EQ(simulated::toolkit().views[1].name, name);
}

} // namespace
} // namespace tarvo
