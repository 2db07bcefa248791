#include "platform/Text.h"
#include "platform/macos/Foundation.h"
#include "platform/macos/Objects.h"
#include "platform/macos/Runtime.h"
#include "platform/macos/Selectors.h"

namespace tarvo::platform {

namespace {

using appkit::CGFloat;
using appkit::CGRect;
using appkit::CGSize;
using appkit::NSInteger;
using appkit::NSUInteger;
using appkit::objectOf;
using appkit::send;

CGFloat weightValue(FontWeight weight) {
    switch (weight) {
    case FontWeight::medium:
        return NSFontWeightMedium;
    }
    return NSFontWeightMedium;
}

id colorValue(TextColor color) {
    const appkit::Selectors& s = appkit::selectors();
    SEL selector = nullptr;
    switch (color) {
    case TextColor::label:
        selector = s.labelColor;
        break;
    }
    return send<id>(appkit::classes().nsColor, selector);
}

id dictionary(const id* values, const id* keys, NSUInteger count) {
    return send<id, const id*, const id*, NSUInteger>(
        appkit::classes().nsDictionary, appkit::selectors().dictionaryWithObjectsForKeysCount,
        values, keys, count);
}

} // namespace

Font Font::monospacedDigitSystemFont(double size, FontWeight weight) {
    return Font(
        ObjectRef::retain(send<id, CGFloat, CGFloat>(
            appkit::classes().nsFont, appkit::selectors().monospacedDigitSystemFontOfSizeWeight,
            size, weightValue(weight))),
        size, weight);
}

double Font::ascender() const {
    return send<CGFloat>(objectOf(native), appkit::selectors().ascender);
}

double Font::descender() const {
    return send<CGFloat>(objectOf(native), appkit::selectors().descender);
}

double Font::leading() const {
    return send<CGFloat>(objectOf(native), appkit::selectors().leading);
}

double textWidth(std::string_view text, const Font& font) {
    const ObjectRef string = appkit::makeString(text);
    const id keys[] = {NSFontAttributeName};
    const id values[] = {objectOf(font.object())};
    return send<CGSize, id>(objectOf(string), appkit::selectors().sizeWithAttributes,
                            dictionary(values, keys, 1))
        .width;
}

TextAttributes::TextAttributes(Font font, TextColor color, LineBreakMode lineBreakMode,
                               TextAlignment alignment)
    : textFont(std::move(font)), textColor(color), textLineBreakMode(lineBreakMode),
      textAlignment(alignment) {
    const appkit::Selectors& s = appkit::selectors();
    const ObjectRef style = ObjectRef::adopt(
        send<id>(send<id>(appkit::classes().nsMutableParagraphStyle, s.alloc), s.init));
    send<void, NSUInteger>(objectOf(style), s.setLineBreakMode,
                           static_cast<NSUInteger>(lineBreakMode));
    send<void, NSInteger>(objectOf(style), s.setAlignment, static_cast<NSInteger>(alignment));
    const id keys[] = {NSFontAttributeName, NSForegroundColorAttributeName,
                       NSParagraphStyleAttributeName};
    const id values[] = {objectOf(textFont.object()), colorValue(color), objectOf(style)};
    native = ObjectRef::retain(dictionary(values, keys, 3));
}

void drawText(std::string_view text, Rect rect, const TextAttributes& attributes) {
    const ObjectRef string = appkit::makeString(text);
    send<void, CGRect, id>(objectOf(string), appkit::selectors().drawInRectWithAttributes,
                           appkit::toCGRect(rect), objectOf(attributes.object()));
}

} // namespace tarvo::platform
