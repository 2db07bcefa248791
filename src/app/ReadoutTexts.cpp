#include "app/ReadoutTexts.h"
#include "presentation/Formatter.h"
#include "presentation/L.h"
#include "presentation/NumberFormat.h"

#include <cmath>

namespace tarvo {
namespace {

std::string joined(std::string_view label, std::string_view figure) {
    std::string text;
    text.reserve(label.size() + figure.size());
    text.append(label).append(figure);
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

std::string cpuMenuTitle(double cpu) {
    if (cpu < 0.0) {
        return std::string(L::t("CPU 占用: 无法读取", "CPU Usage: N/A"));
    }
    return joined(L::t("CPU 占用: ", "CPU Usage: "), formatNumber("%.1f %%", cpu));
}

std::string downMenuTitle(double bytesPerSecond) {
    return joined(L::t("下载: ", "Download: "), Formatter::rate(bytesPerSecond));
}

std::string upMenuTitle(double bytesPerSecond) {
    return joined(L::t("上传: ", "Upload: "), Formatter::rate(bytesPerSecond));
}

TemperatureLines temperatureLines(std::optional<double> lastTemp) {
    if (!lastTemp) {
        return {std::string(L::t("CPU 温度: 采集中…", "CPU Temp: collecting…")), false,
                L::t("(正在打开 AppleSMC 读取温度)", "(Opening AppleSMC to read temperature)")};
    }
    if (std::isnan(*lastTemp)) {
        return {std::string(L::t("CPU 温度: 无法读取", "CPU Temp: unavailable")), false,
                L::t("(AppleSMC 服务不可用)", "(AppleSMC service unavailable)")};
    }
    // Both formats are literals, so the chosen view is NUL-terminated.
    const std::string_view format = L::t("CPU 温度: %.1f °C", "CPU Temp: %.1f °C");
    return {formatNumber(format.data(), *lastTemp), true, {}};
}

} // namespace tarvo
