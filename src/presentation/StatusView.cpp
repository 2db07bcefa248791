#include "presentation/StatusView.h"

#include <algorithm>
#include <cmath>

namespace tarvo {

using platform::Font;
using platform::Rect;

StatusView::StatusView()
    : nativeView(platform::ViewCallbacks{
          .draw = [this](Rect dirtyRect) { draw(dirtyRect); },
          .intrinsicContentSize = [this] { return intrinsicContentSize(); },
          .hitTest = [this](platform::Point point) { return hitTest(point); },
      }) {}

void StatusView::setText(std::string& stored, std::string_view text) {
    if (stored == text) {
        return;
    }
    stored.assign(text);
    nativeView.setNeedsDisplay(true);
}

void StatusView::setScale(double scale) {
    viewScale = scale;
    nativeView.setNeedsDisplay(true);
}

Font StatusView::readoutFont() const {
    return Font::monospacedDigitSystemFont(baseFontSize * viewScale, platform::FontWeight::medium);
}

double StatusView::columnWidth(std::string_view upper, std::string_view lower,
                               const Font& font) const {
    return std::max(platform::textWidth(upper, font), platform::textWidth(lower, font));
}

double StatusView::preferredWidth() const {
    const Font font = readoutFont();
    const double pad = basePad * viewScale;
    const double gap = baseColGap * viewScale;
    return pad + columnWidth(cpuUsage, cpuTemp, font) + gap + columnWidth(up, down, font) + pad;
}

platform::Size StatusView::intrinsicContentSize() const {
    return {preferredWidth(), height};
}

const platform::CustomView* StatusView::hitTest(platform::Point) const {
    return nullptr;
}

void StatusView::draw(Rect) const {
    const double h = nativeView.bounds().height;
    if (!(h > 0.0)) {
        return;
    }
    const Font font = readoutFont();
    const platform::TextAttributes attributes(font, platform::TextColor::label,
                                              platform::LineBreakMode::clipping,
                                              platform::TextAlignment::left);
    const double lineHeight = std::ceil(font.ascender() - font.descender() + font.leading());
    const double row = h < 2.0 * lineHeight ? std::floor(h / 2.0) : lineHeight;
    const double margin = (h - 2.0 * row) / 2.0;

    const double pad = basePad * viewScale;
    const double gap = baseColGap * viewScale;
    const double cpuColWidth = columnWidth(cpuUsage, cpuTemp, font);
    const double netColWidth = columnWidth(up, down, font);
    const double netX = pad + cpuColWidth + gap;

    platform::drawText(cpuUsage, {pad, margin + row, cpuColWidth, row}, attributes);
    platform::drawText(cpuTemp, {pad, margin, cpuColWidth, row}, attributes);
    platform::drawText(up, {netX, margin + row, netColWidth, row}, attributes);
    platform::drawText(down, {netX, margin, netColWidth, row}, attributes);
}

} // namespace tarvo
