#include "presentation/L.h"
#include "platform/PreferredLanguages.h"

namespace tarvo {

bool L::isZh() {
    static const bool chinese = prefersChinese(platform::preferredLanguages());
    return chinese;
}

bool L::prefersChinese(std::span<const std::string> preferredLanguages) {
    const std::string_view first =
        preferredLanguages.empty() ? std::string_view("en") : preferredLanguages.front();
    return first.starts_with("zh");
}

} // namespace tarvo
