#include "platform/linux/LocaleTag.h"

#include <gtest/gtest.h>
#include <map>

namespace tarvo::platform {

// The locale variables in gettext's order (the first entry of LANGUAGE's list, LC_ALL,
// LC_MESSAGES, LANG), each a locale name that names a language or not.
TEST(LocaleTag, FirstLocaleVariableThatNamesALanguageGivesTheTag) {
    using Variables = std::map<std::string, std::string>;
    using Environment = std::pair<Variables, std::optional<std::string>>;
    for (const auto& [variables, tag] :
         {Environment{{}, std::nullopt}, Environment{{{"LANG", "zh_CN.UTF-8"}}, "zh-CN"},
          Environment{{{"LANG", "en_US.UTF-8@euro"}}, "en-US"},
          Environment{{{"LANG", "sr_RS@latin"}}, "sr-RS"}, Environment{{{"LANG", "de"}}, "de"},
          Environment{{{"LANGUAGE", "zh_TW:en"}, {"LANG", "en_US.UTF-8"}}, "zh-TW"},
          Environment{{{"LANGUAGE", ":zh"}, {"LANG", "en_GB.UTF-8"}}, "en-GB"},
          Environment{{{"LC_ALL", "C"}, {"LC_MESSAGES", "zh_CN"}}, "zh-CN"},
          Environment{{{"LC_ALL", "C.UTF-8"}, {"LANG", "POSIX"}}, std::nullopt},
          Environment{{{"LC_ALL", "fr_FR"}, {"LANG", "zh_CN"}}, "fr-FR"},
          Environment{{{"LANGUAGE", ""}, {"LANG", ""}}, std::nullopt}}) {
        const auto getenv = [&set = variables](const char* name) -> const char* {
            const auto found = set.find(name);
            return found == set.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(languageTagFromEnvironment(getenv), tag) << testing::PrintToString(variables);
    }
}

} // namespace tarvo::platform
