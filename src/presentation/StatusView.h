#pragma once

#include "platform/CustomView.h"
#include "platform/Geometry.h"
#include "platform/Text.h"

#include <string>
#include <string_view>

namespace tarvo {

// The status item's readout: CPU load above CPU temperature on the left, upload above download
// rate on the right, in a small font whose digits share one width. It keeps the four texts and
// draws them; clicks pass through to the button underneath. Main thread only.
class StatusView {
public:
    // The initial texts, scale 1, and a native view with the zero frame.
    StatusView();
    StatusView(const StatusView&) = delete;
    StatusView& operator=(const StatusView&) = delete;

    const std::string& cpuUsageText() const { return cpuUsage; }
    const std::string& cpuTempText() const { return cpuTemp; }
    const std::string& upText() const { return up; }
    const std::string& downText() const { return down; }

    // Each marks the view for redrawing when the text changes, and only then.
    void setCpuUsageText(std::string_view text) { setText(cpuUsage, text); }
    void setCpuTempText(std::string_view text) { setText(cpuTemp, text); }
    void setUpText(std::string_view text) { setText(up, text); }
    void setDownText(std::string_view text) { setText(down, text); }

    double scale() const { return viewScale; }
    // Multiplies the font size, the side padding and the column gap. Always marks the view for
    // redrawing.
    void setScale(double scale);

    // Padding, left column, gap, right column, padding: the width the readout needs.
    double preferredWidth() const;
    // preferredWidth() wide and 22 points tall, whatever the scale.
    platform::Size intrinsicContentSize() const;
    // No view at any point, so clicks reach the button.
    const platform::CustomView* hitTest(platform::Point point) const;
    // The two rows centred as one block in the view's height, each text clipped to its cell.
    void draw(platform::Rect dirtyRect) const;

    // The native view, for the button to host.
    platform::CustomView& view() { return nativeView; }
    const platform::CustomView& view() const { return nativeView; }

private:
    void setText(std::string& stored, std::string_view text);
    platform::Font readoutFont() const;
    double columnWidth(std::string_view upper, std::string_view lower,
                       const platform::Font& font) const;

    static constexpr double baseFontSize = 9.0;
    static constexpr double basePad = 4.0;
    static constexpr double baseColGap = 7.0;
    static constexpr double height = 22.0;

    std::string cpuUsage = "--%";
    std::string cpuTemp = "--°C";
    std::string up = "↑0B";
    std::string down = "↓0B";
    double viewScale = 1.0;
    platform::CustomView nativeView;
};

} // namespace tarvo
