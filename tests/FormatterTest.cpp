#include "presentation/Formatter.h"
#include "presentation/NumberFormat.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace tarvo {
namespace {

struct Row {
    double bytesPerSecond;
    const char* longForm;
    const char* shortForm;
};

class RateRow : public testing::TestWithParam<Row> {};

TEST_P(RateRow, BothForms) {
    EXPECT_EQ(Formatter::rate(GetParam().bytesPerSecond), GetParam().longForm);
    EXPECT_EQ(Formatter::rateShort(GetParam().bytesPerSecond), GetParam().shortForm);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, RateRow,
    testing::Values(Row{0, "0 B/s", "0B"}, Row{999, "999 B/s", "999B"},
                    Row{999.5, "1000 B/s", "1000B"}, Row{1000, "1 KB/s", "1K"},
                    Row{1500, "2 KB/s", "2K"}, Row{2500, "2 KB/s", "2K"},
                    Row{12345, "12 KB/s", "12K"}, Row{999999, "1000 KB/s", "1000K"},
                    Row{1000000, "1.00 MB/s", "1.0M"}, Row{2500000, "2.50 MB/s", "2.5M"},
                    Row{999999999, "1000.00 MB/s", "1000.0M"}, Row{1000000000, "1.00 GB/s", "1.0G"},
                    Row{1500000000000, "1500.00 GB/s", "1500.0G"}, Row{-5, "-5 B/s", "-5B"},
                    Row{std::numeric_limits<double>::quiet_NaN(), "nan B/s", "nanB"}));

TEST(NumberFormat, LongResultsAreNotCut) {
    const std::string text = formatNumber("%.0f", 1e80);
    EXPECT_EQ(text.size(), 81u);
    EXPECT_EQ(text.substr(0, 3), "100");
}

// Finds or builds a C library locale whose decimal separator is a comma.
bool switchToCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            return true;
        }
    }
    const auto dir = std::filesystem::temp_directory_path() / "tarvo-test-locales";
    std::filesystem::create_directories(dir);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        return false;
    }
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

TEST(Formatter, DecimalPointIsAFullStopWhateverTheLocale) {
    if (!switchToCommaLocale()) {
        GTEST_SKIP() << "no locale with a decimal comma could be found or generated "
                        "(install the Debian package 'locales')";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(Formatter::rate(2500000), "2.50 MB/s");
    EXPECT_EQ(Formatter::rateShort(1500000000), "1.5G");
    EXPECT_EQ(formatNumber("%.1f °C", 47.46), "47.5 °C");
    std::setlocale(LC_ALL, "C");
}

} // namespace
} // namespace tarvo
