#include "platform/linux/LocaleTag.h"
#include "presentation/L.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Lines of the input are both preferred-language tags and locale variable values.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size() && lines.size() < 8) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    tarvo::L::prefersChinese(lines);
    const char* names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    tarvo::platform::languageTagFromEnvironment([&](const char* name) -> const char* {
        for (std::size_t i = 0; i < 4 && i < lines.size(); ++i) {
            if (std::string_view(names[i]) == name) {
                return lines[i].c_str();
            }
        }
        return nullptr;
    });
    return 0;
}
