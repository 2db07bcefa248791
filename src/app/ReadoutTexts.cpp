#include "app/ReadoutTexts.h"
#include "platform/TemperatureSource.h"
#include "presentation/Formatter.h"
#include "presentation/L.h"
#include "presentation/NumberFormat.h"

#include <cmath>

namespace tarvo {
namespace {

// Short enough for the string's own storage: no allocation.
std::string joined(std::string_view arrow, std::string_view figure) {
    std::string text(arrow);
    text.append(figure);
    return text;
}

} // namespace

std::string cpuUsageViewText(double cpu) {
    return cpu < 0.0 ? std::string("--%") : formatNumber("%.0f%%", cpu);
}

std::string cpuTempViewText(std::optional<double> temp) {
    return !temp || std::isnan(*temp) ? std::string("--°C") : formatNumber("%.0f°C", *temp);
}

std::string upViewText(double bytesPerSecond) {
    return joined("↑", Formatter::rateShort(bytesPerSecond));
}

std::string downViewText(double bytesPerSecond) {
    return joined("↓", Formatter::rateShort(bytesPerSecond));
}

std::string_view cpuMenuTitle(std::string& buffer, double cpu) {
    if (cpu < 0.0) {
        return L::t("CPU 占用: 无法读取", "CPU Usage: N/A");
    }
    buffer.assign(L::t("CPU 占用: ", "CPU Usage: "));
    appendNumber(buffer, "%.1f %%", cpu);
    return buffer;
}

std::string_view downMenuTitle(std::string& buffer, double bytesPerSecond) {
    buffer.assign(L::t("下载: ", "Download: ")).append(Formatter::rate(bytesPerSecond));
    return buffer;
}

std::string_view upMenuTitle(std::string& buffer, double bytesPerSecond) {
    buffer.assign(L::t("上传: ", "Upload: ")).append(Formatter::rate(bytesPerSecond));
    return buffer;
}

void appendToSpokenReadout(std::string& label, std::string_view line) {
    if (!label.empty()) {
        label.append(L::t("，", ", "));
    }
    label.append(line);
}

std::string_view collectingTitle() {
    return L::t("CPU 温度: 采集中…", "CPU Temp: collecting…");
}

TemperatureLines temperatureLines(std::string& buffer, std::optional<double> lastTemp,
                                  bool hasPollingFailed) {
    if (!lastTemp) {
        const platform::HintText& hint = platform::temperatureOpeningHint;
        return {collectingTitle(), false, L::t(hint.zh, hint.en)};
    }
    if (std::isnan(*lastTemp)) {
        const platform::HintText& hint = hasPollingFailed ? platform::temperatureNotStartedHint
                                                          : platform::temperatureUnavailableHint;
        return {L::t("CPU 温度: 无法读取", "CPU Temp: unavailable"), false, L::t(hint.zh, hint.en)};
    }
    // Both formats are literals, so the chosen view is NUL-terminated.
    const std::string_view format = L::t("CPU 温度: %.1f °C", "CPU Temp: %.1f °C");
    buffer.clear();
    appendNumber(buffer, format.data(), *lastTemp);
    return {buffer, true, {}};
}

} // namespace tarvo
