#include "platform/linux/DisplayWidth.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <utility>

namespace tarvo::terminal {

namespace {

struct Character {
    char32_t codePoint;
    std::size_t length; // bytes
};

// A malformed byte stands for itself, one byte and one column.
Character decode(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const int length = std::countl_one(lead);
    if (length == 0) {
        return {lead, 1};
    }
    if (length < 2 || length > 4 || text.size() < static_cast<std::size_t>(length)) {
        return {lead, 1};
    }
    char32_t codePoint = lead & (0x7Fu >> length);
    for (int index = 1; index < length; ++index) {
        const auto next = static_cast<unsigned char>(text[static_cast<std::size_t>(index)]);
        if ((next & 0xC0u) != 0x80u) {
            return {lead, 1};
        }
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    return {codePoint, static_cast<std::size_t>(length)};
}

// East Asian Wide and Fullwidth blocks.
constexpr std::array<std::pair<char32_t, char32_t>, 11> wideRanges{{
    {0x1100, 0x115F},
    {0x2E80, 0x303E},
    {0x3041, 0x33FF},
    {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},
    {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},
    {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},
}};

int columnsOf(char32_t codePoint) {
    const bool wide = (codePoint >= 0x20000 && codePoint <= 0x3FFFD) ||
                      std::ranges::any_of(wideRanges, [&](const auto& range) {
                          return codePoint >= range.first && codePoint <= range.second;
                      });
    return wide ? 2 : 1;
}

} // namespace

Fitted fitColumns(std::string_view text, int columns) {
    std::size_t bytes = 0;
    int used = 0;
    while (bytes < text.size()) {
        const Character character = decode(text.substr(bytes));
        const int width = columnsOf(character.codePoint);
        if (used + width > columns) {
            break;
        }
        used += width;
        bytes += character.length;
    }
    return {text.substr(0, bytes), used};
}

int displayWidth(std::string_view text) {
    int columns = 0;
    for (std::size_t bytes = 0; bytes < text.size();) {
        const Character character = decode(text.substr(bytes));
        columns += columnsOf(character.codePoint);
        bytes += character.length;
    }
    return columns;
}

} // namespace tarvo::terminal
