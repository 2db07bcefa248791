#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvo::platform {

// A POSIX locale name as a language tag: "zh_CN.UTF-8" gives "zh-CN". Nothing for an empty
// name and for the "C" and "POSIX" locales, which name no language.
std::optional<std::string> languageTagFromLocale(std::string_view locale);

// The variables gettext consults, in its order: the first entry of LANGUAGE's colon list,
// then LC_ALL, LC_MESSAGES and LANG. getenv is passed in so tests need not touch the process.
template <typename GetEnv>
std::optional<std::string> languageTagFromEnvironment(GetEnv getenv) {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(name);
        if (value == nullptr) {
            continue;
        }
        std::string_view locale = value;
        locale = locale.substr(0, locale.find(':'));
        if (auto tag = languageTagFromLocale(locale)) {
            return tag;
        }
    }
    return std::nullopt;
}

} // namespace tarvo::platform
