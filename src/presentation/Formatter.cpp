#include "presentation/Formatter.h"
#include "presentation/NumberFormat.h"

namespace tarvo {
namespace {

struct RateFormats {
    const char* giga;
    const char* mega;
    const char* kilo;
    const char* bytes;
};

// Largest unit first; a value equal to a threshold takes the larger unit. The unit is chosen on
// the unrounded value, so 999,999 prints as "1000 KB/s" rather than jumping to MB. NaN compares
// false everywhere and lands on the bytes line, like every negative value.
std::string formatRate(double value, const RateFormats& formats) {
    if (value >= 1e9) {
        return formatNumber(formats.giga, value / 1e9);
    }
    if (value >= 1e6) {
        return formatNumber(formats.mega, value / 1e6);
    }
    if (value >= 1e3) {
        return formatNumber(formats.kilo, value / 1e3);
    }
    return formatNumber(formats.bytes, value);
}

constexpr RateFormats longForm{"%.2f GB/s", "%.2f MB/s", "%.0f KB/s", "%.0f B/s"};
constexpr RateFormats shortForm{"%.1fG", "%.1fM", "%.0fK", "%.0fB"};

} // namespace

std::string Formatter::rate(double bytesPerSecond) {
    return formatRate(bytesPerSecond, longForm);
}

std::string Formatter::rateShort(double bytesPerSecond) {
    return formatRate(bytesPerSecond, shortForm);
}

} // namespace tarvo
