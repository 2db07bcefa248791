#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvo {

// The texts one refresh writes, from its three figures. The status view's texts are the same in
// both languages; the menu titles follow L.

// "23%", or "--%" when the load is unavailable (negative).
std::string cpuUsageViewText(double cpu);
// "48°C", or "--°C" when there is no temperature or it is NaN (the sensor is unavailable).
std::string cpuTempViewText(std::optional<double> temp);
std::string upViewText(double bytesPerSecond);
std::string downViewText(double bytesPerSecond);

// Menu titles are written into a buffer the caller keeps, so that a steady refresh allocates
// nothing; each returns a view of the buffer.
std::string_view cpuMenuTitle(std::string& buffer, double cpu);
std::string_view downMenuTitle(std::string& buffer, double bytesPerSecond);
std::string_view upMenuTitle(std::string& buffer, double bytesPerSecond);

// The readout in words, as VoiceOver says it: the menu's figure lines one after another, each
// appended to `label` after a separator in the menu's language.
void appendToSpokenReadout(std::string& label, std::string_view line);

// The temperature line while no value has come: at launch and until the reader's first.
std::string_view collectingTitle();

// The temperature line and its hint line for the last value the reader handed over; for NaN, the
// hint says whether the source was missing or its reader could not be started.
struct TemperatureLines {
    std::string_view title; // in the buffer, or a literal
    bool isHintHidden;
    std::string_view hint; // empty when the hint keeps its title
};
TemperatureLines temperatureLines(std::string& buffer, std::optional<double> lastTemp,
                                  bool hasPollingFailed);

} // namespace tarvo
