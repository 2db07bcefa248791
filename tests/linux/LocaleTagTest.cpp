#include "platform/linux/LocaleTag.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>

namespace tarvo::platform {
namespace {

TEST(LocaleTag, LocaleNamesBecomeLanguageTags) {
    const std::map<std::string, std::optional<std::string>> cases{
        {"zh_CN.UTF-8", "zh-CN"},      {"zh_TW", "zh-TW"},
        {"en_US.UTF-8@euro", "en-US"}, {"de", "de"},
        {"sr_RS@latin", "sr-RS"},      {"", std::nullopt},
        {"C", std::nullopt},           {"POSIX", std::nullopt},
        {"C.UTF-8", std::nullopt},
    };
    for (const auto& [locale, tag] : cases) {
        EXPECT_EQ(languageTagFromLocale(locale), tag) << locale;
    }
}

struct Environment {
    std::map<std::string, std::string> variables;
    std::optional<std::string> tag;
};

class LanguageEnvironment : public testing::TestWithParam<Environment> {};

TEST_P(LanguageEnvironment, FollowsGettextOrder) {
    const auto& variables = GetParam().variables;
    const auto getenv = [&](const char* name) -> const char* {
        const auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    };
    EXPECT_EQ(languageTagFromEnvironment(getenv), GetParam().tag);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, LanguageEnvironment,
    testing::Values(Environment{{}, std::nullopt}, Environment{{{"LANG", "zh_CN.UTF-8"}}, "zh-CN"},
                    Environment{{{"LANGUAGE", "zh_TW:en"}, {"LANG", "en_US.UTF-8"}}, "zh-TW"},
                    Environment{{{"LANGUAGE", ":zh"}, {"LANG", "en_GB.UTF-8"}}, "en-GB"},
                    Environment{{{"LC_ALL", "C"}, {"LC_MESSAGES", "zh_CN"}}, "zh-CN"},
                    Environment{{{"LC_ALL", "fr_FR"}, {"LANG", "zh_CN"}}, "fr-FR"},
                    Environment{{{"LANG", "POSIX"}}, std::nullopt},
                    Environment{{{"LANGUAGE", ""}, {"LANG", ""}}, std::nullopt}));

} // namespace
} // namespace tarvo::platform
