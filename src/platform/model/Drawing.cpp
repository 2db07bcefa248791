#include "platform/Text.h"
#include "platform/model/Toolkit.h"

namespace tarvo::platform {

Font Font::monospacedDigitSystemFont(double size, FontWeight weight) {
    model::record("NSFont", "monospacedDigitSystemFontOfSize:weight:", size, "NSFontWeightMedium");
    return Font(ObjectRef{}, size, weight);
}

TextAttributes::TextAttributes(Font font, TextColor color, LineBreakMode lineBreakMode,
                               TextAlignment alignment)
    : textFont(std::move(font)), textColor(color), textLineBreakMode(lineBreakMode),
      textAlignment(alignment) {
    model::record("NSDictionary", "dictionaryWithObjects:forKeys:count:", textFont.pointSize(),
                  "labelColor", static_cast<double>(lineBreakMode), static_cast<double>(alignment));
}

void drawText(std::string_view text, Rect rect, const TextAttributes& attributes) {
    model::record(text, "drawInRect:withAttributes:", rect);
    if (std::vector<model::DrawnText>* canvas = model::toolkit().canvas) {
        canvas->push_back({std::string(text), rect, attributes});
    }
}

} // namespace tarvo::platform
