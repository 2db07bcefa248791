#include "presentation/Formatter.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <utility>

namespace tarvo {

// Switches the C library to a locale whose decimal separator is a comma, building one when the
// system has none.
bool useCommaLocale() {
    const auto use = [] { return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr; };
    if (use()) {
        return true;
    }
    const std::string dir = std::filesystem::temp_directory_path() / "tarvo-test-locales";
    setenv("LOCPATH", dir.c_str(), 1);
    const std::string make =
        "mkdir -p " + dir + " && localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 2>/dev/null";
    return use() || (std::system(make.c_str()) == 0 && use());
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
    std::setlocale(LC_ALL, "C");
    if (!isCommaLocale) {
        GTEST_SKIP() << "no locale with a decimal comma (install the Debian package 'locales')";
    }
}

} // namespace tarvo
