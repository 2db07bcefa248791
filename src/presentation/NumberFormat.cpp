#include "presentation/NumberFormat.h"

#include <clocale>
#include <cstdio>
#include <locale.h>
#if defined(__APPLE__)
#include <xlocale.h>
#endif

namespace tarvo {
namespace {

// Switches the calling thread to the C locale for one conversion, leaving other threads alone.
class CNumericScope {
public:
    CNumericScope() : previous(uselocale(cLocale())) {}
    ~CNumericScope() { uselocale(previous); }
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    static locale_t cLocale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
        return c;
    }
    locale_t previous;
};

} // namespace

void appendNumber(std::string& text, const char* format, double value) {
    const CNumericScope cNumeric;
    char buffer[64];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    if (length < 0) {
        return;
    }
    if (static_cast<std::size_t>(length) < sizeof buffer) {
        text.append(buffer, static_cast<std::size_t>(length));
        return;
    }
    const std::size_t start = text.size();
    text.resize(start + static_cast<std::size_t>(length));
    // NOLINTNEXTLINE(cert-err33-c): the first call has measured what this one writes.
    std::snprintf(text.data() + start, static_cast<std::size_t>(length) + 1, format, value);
#pragma GCC diagnostic pop
}

std::string formatNumber(const char* format, double value) {
    std::string text;
    appendNumber(text, format, value);
    return text;
}

} // namespace tarvo
