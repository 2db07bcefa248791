#include "presentation/StatusView.h"
#include "platform/simulated/SimulatedToolkit.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace tarvo {
namespace {

using platform::Rect;

class StatusViewTest : public testing::Test {
protected:
    void SetUp() override { simulated::resetToolkit(); }

    std::vector<model::DrawnText> drawAtHeight(StatusView& view, double h) {
        simulated::setFrame(view.view(), {0.0, 0.0, 80.0, h});
        return simulated::displayPass();
    }

    static long redrawRequests(const StatusView& view) {
        const std::string& name = model::nodeOf<model::ViewNode>(view.view().object()).name;
        return std::count(simulated::calls().begin(), simulated::calls().end(),
                          model::Call{name, "setNeedsDisplay:", {"YES"}});
    }

    static std::vector<std::string> texts(const std::vector<model::DrawnText>& drawn) {
        std::vector<std::string> result;
        for (const auto& text : drawn) {
            result.push_back(text.text);
        }
        return result;
    }
};

// Default script: ascender 9, descender -2, leading 0 (line height 11); 5 points a character.
TEST_F(StatusViewTest, NewViewDrawsInitialTextsInTheirCellsWithTheReadoutAttributes) {
    StatusView view;
    const auto drawn = drawAtHeight(view, 22.0);

    ASSERT_EQ(texts(drawn), (std::vector<std::string>{"--%", "--°C", "↑0B", "↓0B"}));
    // Left column as wide as "--°C" (20), right column starts one 7-point gap after it.
    EXPECT_EQ(drawn[0].rect, (Rect{4.0, 11.0, 20.0, 11.0}));
    EXPECT_EQ(drawn[1].rect, (Rect{4.0, 0.0, 20.0, 11.0}));
    EXPECT_EQ(drawn[2].rect, (Rect{31.0, 11.0, 15.0, 11.0}));
    EXPECT_EQ(drawn[3].rect, (Rect{31.0, 0.0, 15.0, 11.0}));
    EXPECT_EQ(view.preferredWidth(), 4.0 + 20.0 + 7.0 + 15.0 + 4.0);

    for (const auto& text : drawn) {
        const platform::TextAttributes& attributes = text.attributes;
        EXPECT_EQ(attributes.font().pointSize(), 9.0);
        EXPECT_EQ(attributes.font().weight(), platform::FontWeight::medium);
        EXPECT_EQ(attributes.color(), platform::TextColor::label);
        EXPECT_EQ(attributes.lineBreakMode(), platform::LineBreakMode::clipping);
        EXPECT_EQ(attributes.alignment(), platform::TextAlignment::left);
    }
}

struct TextProperty {
    const char* name;
    void (StatusView::*set)(std::string_view);
    const std::string& (StatusView::*get)() const;
};

class StatusViewText : public StatusViewTest, public testing::WithParamInterface<TextProperty> {};

TEST_P(StatusViewText, MarksForRedrawOnlyWhenTheTextChanges) {
    const TextProperty& property = GetParam();
    StatusView view;
    simulated::displayPass();
    const std::string initial = (view.*property.get)();

    (view.*property.set)(initial);
    EXPECT_EQ(redrawRequests(view), 0);
    EXPECT_FALSE(simulated::needsDisplay(view.view()));

    (view.*property.set)("12.3M");
    EXPECT_EQ((view.*property.get)(), "12.3M");
    EXPECT_EQ(redrawRequests(view), 1);
    EXPECT_TRUE(simulated::needsDisplay(view.view()));

    (view.*property.set)("12.3M");
    EXPECT_EQ(redrawRequests(view), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StatusViewText,
    testing::Values(
        TextProperty{"cpuUsageText", &StatusView::setCpuUsageText, &StatusView::cpuUsageText},
        TextProperty{"cpuTempText", &StatusView::setCpuTempText, &StatusView::cpuTempText},
        TextProperty{"upText", &StatusView::setUpText, &StatusView::upText},
        TextProperty{"downText", &StatusView::setDownText, &StatusView::downText}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StatusViewTest, ScaleMarksForRedrawEvenWhenUnchanged) {
    StatusView view;
    view.setScale(1.0);
    view.setScale(1.0);
    EXPECT_EQ(redrawRequests(view), 2);
}

TEST_F(StatusViewTest, IntrinsicHeightIsFixedAndWidthIsThePreferredWidthAtEveryScale) {
    StatusView view;
    for (const double scale : {0.5, 1.0, 2.0, 3.0}) {
        view.setScale(scale);
        const platform::Size size = view.intrinsicContentSize();
        EXPECT_EQ(size.height, 22.0) << scale;
        EXPECT_EQ(size.width, view.preferredWidth()) << scale;
        // Padding and gap follow the scale; the script's widths do not.
        EXPECT_DOUBLE_EQ(view.preferredWidth(),
                         4.0 * scale + 20.0 + 7.0 * scale + 15.0 + 4.0 * scale);
    }
    const model::Call scaledFont{
        "NSFont", "monospacedDigitSystemFontOfSize:weight:", {"27", "NSFontWeightMedium"}};
    EXPECT_NE(std::find(simulated::calls().begin(), simulated::calls().end(), scaledFont),
              simulated::calls().end());
}

struct Rows {
    double h;
    double row;
    double margin;
};

class StatusViewRows : public StatusViewTest, public testing::WithParamInterface<Rows> {};

TEST_P(StatusViewRows, PairOfRowsIsCentredInTheViewHeight) {
    // 8.6 + 2.1 + 0.2 = 10.9: the line height rounds up to 11.
    simulated::fontScript() = {.ascender = 8.6, .descender = -2.1, .leading = 0.2};
    const Rows& expected = GetParam();
    StatusView view;
    const auto drawn = drawAtHeight(view, expected.h);

    ASSERT_EQ(drawn.size(), 4u);
    for (const std::size_t upper : {0u, 2u}) {
        EXPECT_EQ(drawn[upper].rect.y, expected.margin + expected.row);
        EXPECT_EQ(drawn[upper + 1].rect.y, expected.margin);
        EXPECT_EQ(drawn[upper].rect.height, expected.row);
        EXPECT_EQ(drawn[upper + 1].rect.height, expected.row);
    }
}

INSTANTIATE_TEST_SUITE_P(Heights, StatusViewRows,
                         testing::Values(Rows{24.0, 11.0, 1.0}, // 2 * lh + 2
                                         Rows{22.0, 11.0, 0.0}, Rows{40.0, 11.0, 9.0},
                                         Rows{21.0, 10.0, 0.5}, // below 2 * lh, odd
                                         Rows{20.0, 10.0, 0.0}, Rows{3.0, 1.0, 0.5},
                                         Rows{1.0, 0.0, 0.5}));

TEST_F(StatusViewTest, DrawsNothingWithoutPositiveHeight) {
    for (const double h : {0.0, -4.0, std::numeric_limits<double>::quiet_NaN()}) {
        StatusView view;
        EXPECT_TRUE(drawAtHeight(view, h).empty()) << h;
    }
}

TEST_F(StatusViewTest, LeftColumnFollowsItsWiderTextForBothRows) {
    StatusView view;
    const double narrowWidth = view.preferredWidth();
    drawAtHeight(view, 22.0);

    view.setCpuTempText("100°C"); // one character more than "--°C"
    view.setCpuUsageText("7%");   // now narrower than the other text: no effect
    const auto drawn = simulated::displayPass();

    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].rect.width, 25.0);
    EXPECT_EQ(drawn[1].rect.width, 25.0);
    EXPECT_EQ(drawn[2].rect.x, 31.0 + 5.0);
    EXPECT_EQ(drawn[3].rect.x, 31.0 + 5.0);
    EXPECT_EQ(view.preferredWidth(), narrowWidth + 5.0);
}

TEST_F(StatusViewTest, NoPointHitsTheView) {
    StatusView view;
    const auto& callbacks = *model::nodeOf<model::ViewNode>(view.view().object()).callbacks;
    for (const platform::Point point : {platform::Point{0.0, 0.0}, platform::Point{10.0, 11.0},
                                        platform::Point{-5.0, 100.0}, platform::Point{1e9, -1e9}}) {
        EXPECT_EQ(view.hitTest(point), nullptr);
        EXPECT_EQ(callbacks.hitTest(point), nullptr);
    }
}

} // namespace
} // namespace tarvo
