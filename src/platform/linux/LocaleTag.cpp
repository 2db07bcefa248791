#include "platform/linux/LocaleTag.h"

#include <algorithm>

namespace tarvo::platform {

std::optional<std::string> languageTagFromLocale(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale.empty() || locale == "C" || locale == "POSIX") {
        return std::nullopt;
    }
    std::string tag(locale);
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

} // namespace tarvo::platform
