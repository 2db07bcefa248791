// The rates' texts and the status view that draws them.
#include "platform/simulated/SimulatedToolkit.h"
#include "presentation/Formatter.h"
#include "presentation/StatusView.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>
#include <utility>

namespace tarvo {

// Switches the C library to a locale whose decimal separator is a comma, building one when the
// system has none. It is built before the first look under LOCPATH: the C library remembers a
// locale that it failed to find there.
bool useCommaLocale() {
    const auto use = [] { return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr; };
    if (use()) {
        return true;
    }
    const std::string dir = std::filesystem::temp_directory_path() / "tarvo-test-locales";
    const std::string make = "test -d " + dir + "/de_DE.UTF-8 || (mkdir -p " + dir +
                             " && localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 2>/dev/null)";
    setenv("LOCPATH", dir.c_str(), 1);
    // NOLINTNEXTLINE(cert-env33-c): localedef, on a folder of the test's own.
    return std::system(make.c_str()) == 0 && use();
}

// In a locale whose decimal separator is a comma, where one can be found or made.
TEST(Formatter, RatesInTheLongAndTheShortFormWithAFullStopWhateverTheLocale) {
    const bool isCommaLocale = useCommaLocale();
    // Bytes a second, then the long and the short form.
    using Row = std::pair<double, const char*>;
    for (const auto& [rate, forms] :
         {Row{0, "0 B/s 0B"}, Row{999, "999 B/s 999B"}, Row{999.5, "1000 B/s 1000B"},
          Row{1000, "1 KB/s 1K"}, Row{1500, "2 KB/s 2K"}, Row{2500, "2 KB/s 2K"},
          Row{12345, "12 KB/s 12K"}, Row{999999, "1000 KB/s 1000K"}, Row{1e6, "1.00 MB/s 1.0M"},
          Row{2.5e6, "2.50 MB/s 2.5M"}, Row{999999999, "1000.00 MB/s 1000.0M"},
          Row{1e9, "1.00 GB/s 1.0G"}, Row{1.5e12, "1500.00 GB/s 1500.0G"}, Row{-5, "-5 B/s -5B"},
          Row{std::numeric_limits<double>::quiet_NaN(), "nan B/s nanB"}}) {
        EXPECT_EQ(Formatter::rate(rate) + " " + Formatter::rateShort(rate), forms);
    }
    EXPECT_EQ(Formatter::rate(1e80).size(), 72u + 3u + 5u) << "1e71 GB/s, not cut";
    // NOLINTNEXTLINE(cert-err33-c): the C locale is always there.
    std::setlocale(LC_ALL, "C");
    if (!isCommaLocale) {
        GTEST_SKIP() << "no locale with a decimal comma (install the Debian package 'locales')";
    }
}

// At scale 2 in a 22-point view, with a font script whose line is 12 points (8.6 + 2.1 + 0.5,
// rounded up) and whose characters are 5 points wide at every size.
class ScaledStatusView : public testing::Test {
protected:
    ScaledStatusView() {
        simulated::fontScript() = {.ascender = 8.6, .descender = -2.1, .leading = 0.5};
        simulated::setFrame(view.view(), {0.0, 0.0, 80.0, 22.0});
        view.setScale(2.0);
        simulated::displayPass();
    }
    bool toolkitReset = (simulated::resetToolkit(), true); // before the view, which it holds
    StatusView view;
};

TEST_F(ScaledStatusView, SettingTheScaleRedrawsEvenTheSameScale) {
    view.setScale(2.0);
    EXPECT_EQ(simulated::displayPass().size(), 4u);
}

// Pads of 8 and a gap of 14 around columns as wide as "--°C" (20) and "↑0B" (15).
TEST_F(ScaledStatusView, ScaleMultipliesTheFontThePadsAndTheGap) {
    EXPECT_EQ(view.intrinsicContentSize().width, 65.0);
    simulated::setFrame(view.view(), {0.0, 0.0, 80.0, 24.0});
    const auto drawn = simulated::displayPass();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].attributes.font().pointSize(), 18.0);
    EXPECT_EQ(drawn[0].rect.x, 8.0);
    EXPECT_EQ(drawn[2].rect.x, 42.0);
}

// Rows a line tall, centred as one block; in a view lower than two lines they share its height,
// rounded down.
TEST_F(ScaledStatusView, RowsAreCentredAndShareAViewLowerThanTwoLines) {
    using Rows = std::tuple<const char*, double, double, double>; // view height, row, bottom margin
    for (const auto& [name, h, row, margin] :
         {Rows{"a point to spare", 26, 12, 1}, Rows{"two lines", 24, 12, 0},
          Rows{"tall", 40, 12, 8}, Rows{"a point short", 23, 11, 0.5}, Rows{"bar", 22, 11, 0},
          Rows{"tiny", 3, 1, 0.5}, Rows{"too low for a row", 1, 0, 0.5}}) {
        simulated::setFrame(view.view(), {0.0, 0.0, 80.0, h});
        const auto drawn = simulated::displayPass();
        ASSERT_EQ(drawn.size(), 4u) << name;
        for (const std::size_t upper : {0u, 2u}) {
            EXPECT_EQ(drawn[upper].rect.y, margin + row) << name;
            EXPECT_EQ(drawn[upper + 1].rect.y, margin) << name;
            EXPECT_EQ(drawn[upper].rect.height, row) << name;
        }
    }
}

TEST_F(ScaledStatusView, OnlyAChangedTextRedraws) {
    using Setter = void (StatusView::*)(std::string_view);
    for (const Setter set : {&StatusView::setCpuUsageText, &StatusView::setCpuTempText,
                             &StatusView::setUpText, &StatusView::setDownText}) {
        (view.*set)("12.3M");
        EXPECT_EQ(simulated::displayPass().size(), 4u);
        (view.*set)("12.3M");
        EXPECT_TRUE(simulated::displayPass().empty());
    }
}

TEST_F(ScaledStatusView, NothingIsDrawnWithoutHeight) {
    for (const double h : {0.0, -4.0, std::numeric_limits<double>::quiet_NaN()}) {
        simulated::setFrame(view.view(), {0.0, 0.0, 80.0, h});
        EXPECT_TRUE(simulated::displayPass().empty()) << h;
    }
}

} // namespace tarvo
