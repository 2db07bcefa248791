#pragma once

#include <string>
#include <vector>

namespace tarvo::platform {

// The user's preferred languages as language tags, most preferred first; possibly empty.
std::vector<std::string> preferredLanguages();

} // namespace tarvo::platform
