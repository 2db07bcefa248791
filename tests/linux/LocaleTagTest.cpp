#include "platform/linux/LocaleTag.h"

#include <gtest/gtest.h>
#include <map>

namespace tarvo::platform {

// The locale variables in gettext's order (the first entry of LANGUAGE's list, LC_ALL,
// LC_MESSAGES, LANG), each a locale name that names a language or not.
TEST(LocaleTag, FirstLocaleVariableThatNamesALanguageGivesTheTag) {
    using Variables = std::map<std::string, std::string>;
    const std::pair<Variables, std::optional<std::string>> environments[] = {
        {{}, std::nullopt},
        {{{"LANG", "zh_CN.UTF-8"}}, "zh-CN"},
        {{{"LANG", "en_US.UTF-8@euro"}}, "en-US"},
        {{{"LANG", "sr_RS@latin"}}, "sr-RS"},
        {{{"LANG", "de"}}, "de"},
        {{{"LANGUAGE", "zh_TW:en"}, {"LANG", "en_US.UTF-8"}}, "zh-TW"},
        {{{"LANGUAGE", ":zh"}, {"LANG", "en_GB.UTF-8"}}, "en-GB"},
        {{{"LC_ALL", "C"}, {"LC_MESSAGES", "zh_CN"}}, "zh-CN"},
        {{{"LC_ALL", "C.UTF-8"}, {"LANG", "POSIX"}}, std::nullopt},
        {{{"LC_ALL", "fr_FR"}, {"LANG", "zh_CN"}}, "fr-FR"},
        {{{"LANGUAGE", ""}, {"LANG", ""}}, std::nullopt}};
    for (const auto& [variables, tag] : environments) {
        const auto getenv = [&set = variables](const char* name) -> const char* {
            const auto found = set.find(name);
            return found == set.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(languageTagFromEnvironment(getenv), tag) << testing::PrintToString(variables);
    }
}

} // namespace tarvo::platform
