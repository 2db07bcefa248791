#include "platform/simulated/SimulatedSystem.h"
#include "presentation/L.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarvo {
namespace {

struct Preference {
    std::vector<std::string> tags;
    bool chinese;
};

class LanguageChoice : public testing::TestWithParam<Preference> {};

TEST_P(LanguageChoice, OnlyTheFirstTagCounts) {
    EXPECT_EQ(L::prefersChinese(GetParam().tags), GetParam().chinese);
}

INSTANTIATE_TEST_SUITE_P(Tags, LanguageChoice,
                         testing::Values(Preference{{}, false}, Preference{{"zh-Hans-CN"}, true},
                                         Preference{{"zh-Hant-TW"}, true}, Preference{{"zh"}, true},
                                         Preference{{"en-US", "zh-Hans"}, false},
                                         Preference{{"ZH-Hans"}, false}, // case-sensitive
                                         Preference{{"", "zh"}, false}, Preference{{"z"}, false}));

TEST(L, DecidesOnceFromThePlatformAndChoosesTheTextUnchanged) {
    simulated::resetSystem();
    simulated::system().preferredLanguages = {"zh-Hans", "en"};
    ASSERT_TRUE(L::isZh());
    const std::string_view zh = "退出 Tarvo";
    EXPECT_EQ(L::t(zh, "Quit Tarvo").data(), zh.data());
    EXPECT_EQ(L::t("", "x"), "");

    simulated::system().preferredLanguages = {"en"};
    EXPECT_TRUE(L::isZh()) << "the choice never changes while the program runs";
}

} // namespace
} // namespace tarvo
