#include "platform/linux/LocaleTag.h"
#include "presentation/L.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The input as the first preferred-language tag and as the value of every locale variable.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tarvo::L::prefersChinese(std::vector{text});
    tarvo::platform::languageTagFromEnvironment([&](const char*) { return text.c_str(); });
    return 0;
}
