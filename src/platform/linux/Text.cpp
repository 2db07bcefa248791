// Fonts in the terminal: every one is the fixed cell of CellFont.h.
#include "platform/Text.h"
#include "platform/linux/CellFont.h"
#include "platform/linux/DisplayWidth.h"

namespace tarvo::platform {

double Font::ascender() const {
    return terminal::cellAscender;
}

double Font::descender() const {
    return terminal::cellDescender;
}

double Font::leading() const {
    return terminal::cellLeading;
}

double textWidth(std::string_view text, const Font&) {
    return terminal::displayWidth(text) * terminal::columnWidth;
}

} // namespace tarvo::platform
