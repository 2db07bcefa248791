#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tarvo {

// Chinese or English for every menu text, decided once per process from the user's first
// preferred language.
struct L {
    L() = delete;

    // True when the Chinese texts are shown. Decided at the first call, thread-safely.
    static bool isZh();

    // The Chinese text when isZh(), the English text otherwise, unchanged.
    static std::string_view t(std::string_view zh, std::string_view en) { return isZh() ? zh : en; }

    // The decision itself: only the first tag counts, and no tag at all means English.
    static bool prefersChinese(std::span<const std::string> preferredLanguages);
};

} // namespace tarvo
