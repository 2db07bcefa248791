#pragma once

#include "platform/Geometry.h"
#include "platform/ObjectRef.h"

#include <string_view>

namespace tarvo::platform {

enum class FontWeight { medium };

// A font (NSFont); its metrics are in points.
class Font {
public:
    Font(ObjectRef object, double size, FontWeight weight)
        : native(std::move(object)), size(size), fontWeight(weight) {}

    // The system font at `size` points with digits all of one width.
    static Font monospacedDigitSystemFont(double size, FontWeight weight);

    double pointSize() const { return size; }
    FontWeight weight() const { return fontWeight; }
    double ascender() const;
    // Negative: the depth below the baseline.
    double descender() const;
    double leading() const;

    const ObjectRef& object() const { return native; }

private:
    ObjectRef native;
    double size;
    FontWeight fontWeight;
};

// The width of `text` set on one line in `font`, unrounded (sizeWithAttributes: with the font
// as the only attribute).
double textWidth(std::string_view text, const Font& font);

enum class TextColor {
    label, // the system's primary text colour, following the light or dark appearance
};

enum class LineBreakMode {
    clipping = 2, // what does not fit is cut off, neither wrapped nor shortened
};

enum class TextAlignment {
    left = 0,
};

// Font, colour and paragraph style for drawText().
class TextAttributes {
public:
    TextAttributes(Font font, TextColor color, LineBreakMode lineBreakMode,
                   TextAlignment alignment);

    const Font& font() const { return textFont; }
    TextColor color() const { return textColor; }
    LineBreakMode lineBreakMode() const { return textLineBreakMode; }
    TextAlignment alignment() const { return textAlignment; }
    const ObjectRef& object() const { return native; }

private:
    Font textFont;
    TextColor textColor;
    LineBreakMode textLineBreakMode;
    TextAlignment textAlignment;
    ObjectRef native;
};

// Draws `text` into `rect` of the view being drawn (drawInRect:withAttributes:), with its first
// line at the rectangle's top edge. Only from a custom view's draw callback.
void drawText(std::string_view text, Rect rect, const TextAttributes& attributes);

} // namespace tarvo::platform
