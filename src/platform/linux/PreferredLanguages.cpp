#include "platform/PreferredLanguages.h"
#include "platform/linux/LocaleTag.h"

#include <cstdlib>

namespace tarvo::platform {

std::vector<std::string> preferredLanguages() {
    std::vector<std::string> tags;
    if (auto tag = languageTagFromEnvironment(std::getenv)) {
        tags.push_back(std::move(*tag));
    }
    return tags;
}

} // namespace tarvo::platform
