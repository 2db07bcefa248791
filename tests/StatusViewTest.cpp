#include "presentation/StatusView.h"
#include "platform/simulated/SimulatedToolkit.h"

#include <gtest/gtest.h>
#include <limits>
#include <tuple>

// The cell each text is drawn in shows in the terminal front end's tests.

namespace tarvo {

// The default font script: a line height of 11, 5 points a character.
class StatusViewTest : public testing::Test {
protected:
    // First, so that the view belongs to the fresh toolkit.
    struct FreshToolkit {
        FreshToolkit() { simulated::resetToolkit(); }
    } freshToolkit;

    StatusView view;
};

// Rows as tall as a line, centred as one block; in a view lower than two lines, they share its
// height, rounded down. No height, no drawing. The height is fixed whatever the scale. Setting the
// scale, or a changed text, redraws; clicks go through to the button.
TEST_F(StatusViewTest, RowsAreCentredScaledAndRedrawnOnlyWhenSomethingChanged) {
    simulated::fontScript() = {.ascender = 8.6, .descender = -2.1, .leading = 0.5}; // 11.2
    simulated::setFrame(view.view(), {0.0, 0.0, 80.0, 22.0});
    view.setScale(2.0); // the script's metrics and widths do not follow the font size
    simulated::displayPass();
    view.setScale(2.0);
    EXPECT_EQ(simulated::displayPass().size(), 4u) << "setting the scale redraws, even the same";
    EXPECT_EQ(view.hitTest({10.0, 11.0}), nullptr) << "clicks reach the button";
    EXPECT_EQ(view.intrinsicContentSize().height, 22.0);
    // Pads and gap doubled around columns as wide as "--°C" and "↑0B".
    EXPECT_EQ(view.intrinsicContentSize().width, 8.0 + 20.0 + 14.0 + 15.0 + 8.0);
    using Rows = std::tuple<double, double, double>; // view height, row height, bottom margin
    for (const auto& [h, row, margin] :
         {Rows{26, 12, 1}, Rows{24, 12, 0}, Rows{40, 12, 8}, Rows{23, 11, 0.5}, Rows{22, 11, 0},
          Rows{3, 1, 0.5}, Rows{1, 0, 0.5}}) {
        simulated::setFrame(view.view(), {0.0, 0.0, 80.0, h});
        const auto drawn = simulated::displayPass();
        ASSERT_EQ(drawn.size(), 4u);
        EXPECT_EQ(drawn[0].attributes.font().pointSize(), 18.0);
        EXPECT_EQ(drawn[2].rect.x, 8.0 + 20.0 + 14.0);
        for (const std::size_t upper : {0u, 2u}) {
            EXPECT_EQ(drawn[upper].rect.y, margin + row) << h;
            EXPECT_EQ(drawn[upper + 1].rect.y, margin) << h;
            EXPECT_EQ(drawn[upper].rect.height, row) << h;
        }
    }
    using Setter = void (StatusView::*)(std::string_view);
    for (const Setter set : {&StatusView::setCpuUsageText, &StatusView::setCpuTempText,
                             &StatusView::setUpText, &StatusView::setDownText}) {
        (view.*set)("12.3M"); // a changed text redraws, an equal one does not
        EXPECT_EQ(simulated::displayPass().size(), 4u);
        (view.*set)("12.3M");
        EXPECT_TRUE(simulated::displayPass().empty());
    }
    for (const double h : {0.0, -4.0, std::numeric_limits<double>::quiet_NaN()}) {
        simulated::setFrame(view.view(), {0.0, 0.0, 80.0, h});
        EXPECT_TRUE(simulated::displayPass().empty()) << h;
    }
}

} // namespace tarvo
