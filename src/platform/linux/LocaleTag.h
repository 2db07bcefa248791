#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvo::platform {

// A POSIX locale name as a language tag: "zh_CN.UTF-8" gives "zh-CN". Nothing for an empty
// name and for the "C" and "POSIX" locales, which name no language.
std::optional<std::string> languageTagFromLocale(std::string_view locale);

// The language of messages as the C library chooses it. The locale is the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty; in the C or POSIX locale, or with none set,
// messages are untranslated and LANGUAGE is not looked at. Otherwise the first entry of
// LANGUAGE's colon list, when it names a language, comes before the locale. getenv is passed in
// so tests need not touch the process.
template <typename GetEnv>
std::optional<std::string> languageTagFromEnvironment(GetEnv getenv) {
    std::string_view locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = getenv(name); value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    std::optional<std::string> tag = languageTagFromLocale(locale);
    if (!tag) {
        return std::nullopt;
    }
    if (const char* value = getenv("LANGUAGE"); value != nullptr) {
        const std::string_view languages = value;
        if (auto preferred = languageTagFromLocale(languages.substr(0, languages.find(':')))) {
            return preferred;
        }
    }
    return tag;
}

} // namespace tarvo::platform
