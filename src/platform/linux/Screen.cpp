#include "platform/linux/Screen.h"
#include "platform/linux/CellFont.h"
#include "platform/linux/DisplayWidth.h"

#include <algorithm>
#include <cmath>

namespace tarvo::terminal {

namespace {

constexpr int statusRows = 2;
constexpr int keyGap = 2; // columns between a menu title and its key equivalent

constexpr std::string_view home = "\x1b[H";
constexpr std::string_view clearLineEnd = "\x1b[K";
constexpr std::string_view clearBelow = "\x1b[J";
constexpr std::string_view dim = "\x1b[2m";
constexpr std::string_view undim = "\x1b[22m";
constexpr std::string_view rule = "─";

int toColumns(double points) {
    return static_cast<int>(std::lround(points / columnWidth));
}

int itemColumns(const model::StatusItemNode& item) {
    const int title = item.button == nullptr ? 0 : displayWidth(item.button->title);
    return std::max(toColumns(model::widthOf(item)), title);
}

} // namespace

void Screen::redrawViews() {
    for (const model::StatusItemNode& item : model::toolkit().statusItems) {
        if (item.button != nullptr) {
            for (model::ViewNode* view : item.button->subviews) {
                model::displayIfNeeded(*view);
            }
        }
    }
}

std::string_view Screen::handOut() {
    if (frame == shown && !isInvalid) {
        return {};
    }
    isInvalid = false;
    std::swap(frame, shown);
    return shown;
}

// Starts the next line of a full-screen frame; false once the screen is full.
bool Screen::beginLine() {
    if (lines == screen.rows) {
        return false;
    }
    if (lines > 0) {
        frame += clearLineEnd;
        frame += "\r\n";
    }
    ++lines;
    column = 0;
    return true;
}

void Screen::pad(int target) {
    for (const int end = std::min(target, screen.columns); column < end; ++column) {
        frame += ' ';
    }
}

void Screen::put(std::string_view text, int maxColumns) {
    const Fitted fitted = fitColumns(text, std::min(maxColumns, screen.columns - column));
    frame += fitted.text;
    column += fitted.columns;
}

// Kept in column order, texts at the same column in the order they came.
void Screen::addPlacement(const Placement& placement) {
    const auto after = std::upper_bound(
        placements.begin(), placements.end(), placement.column,
        [](int column, const Placement& placed) { return column < placed.column; });
    placements.insert(after, placement);
}

void Screen::placeDrawnTexts(const model::ViewNode& view, int row, int start, int columns) {
    if (!view.drawnBounds) {
        return;
    }
    const double height = view.drawnBounds->height;
    for (const model::DrawnText& drawn : view.drawn) {
        const double top = drawn.rect.y + drawn.rect.height;
        if (std::lround((height - top) / rowHeight) != row) {
            continue;
        }
        const int offset = toColumns(drawn.rect.x);
        const int width = std::min(toColumns(drawn.rect.width), columns - offset);
        addPlacement({start + offset, width, drawn.text});
    }
}

void Screen::appendStatusRow(int row) {
    placements.clear();
    int start = 0;
    for (const model::StatusItemNode& item : model::toolkit().statusItems) {
        const int columns = itemColumns(item);
        if (item.button != nullptr) {
            for (const model::ViewNode* view : item.button->subviews) {
                placeDrawnTexts(*view, row, start, columns);
            }
            if (row == 0) {
                addPlacement({start, columns, item.button->title});
            }
        }
        start += columns + 1;
    }
    for (const Placement& placement : placements) {
        pad(placement.column);
        put(placement.text, placement.maxColumns);
    }
}

std::string_view Screen::shownKey(const model::MenuItemNode& item) const {
    return isOfferingKeys ? std::string_view(item.keyEquivalent) : std::string_view();
}

void Screen::appendMenu(const model::MenuNode& menu) {
    int inner = 0;
    for (const model::MenuItemNode* item : menu.items) {
        if (!item->isHidden && !item->isSeparator) {
            const std::string_view keyEquivalent = shownKey(*item);
            const int key = keyEquivalent.empty() ? 0 : keyGap + displayWidth(keyEquivalent);
            inner = std::max(inner, displayWidth(item->title) + key);
        }
    }
    const int width = inner + 2;
    for (const model::MenuItemNode* item : menu.items) {
        if (!!item->isHidden || !beginLine()) {
            continue;
        }
        if (item->isSeparator) {
            while (column < std::min(width, screen.columns)) {
                put(rule, 1);
            }
            continue;
        }
        if (!item->isEnabled) {
            frame += dim;
        }
        put(" ", 1);
        put(item->title, inner);
        if (const std::string_view key = shownKey(*item); !key.empty()) {
            pad(1 + inner - displayWidth(key));
            put(key, inner);
        }
        if (!item->isEnabled) {
            frame += undim;
        }
    }
}

std::string_view Screen::terminalFrame(ScreenSize size, bool offersKeys) {
    redrawViews();
    screen = size;
    isOfferingKeys = offersKeys;
    lines = 0;
    frame.assign(home);
    for (int row = 0; row < statusRows; ++row) {
        if (beginLine()) {
            appendStatusRow(row);
        }
    }
    beginLine(); // a blank line between the bar and the menus
    for (const model::StatusItemNode& item : model::toolkit().statusItems) {
        if (item.menu != nullptr) {
            appendMenu(*item.menu);
        }
    }
    frame += clearLineEnd;
    frame += clearBelow;
    return handOut();
}

void Screen::appendPlainText(std::string_view separator, std::string_view text) {
    if (!frame.empty()) {
        frame += separator;
    }
    frame += text;
}

std::string_view Screen::plainLine() {
    redrawViews();
    frame.clear();
    for (const model::StatusItemNode& item : model::toolkit().statusItems) {
        if (item.button == nullptr) {
            continue;
        }
        for (const model::ViewNode* view : item.button->subviews) {
            for (const model::DrawnText& drawn : view->drawn) {
                appendPlainText(" ", drawn.text);
            }
        }
        if (!item.button->title.empty()) {
            appendPlainText(" ", item.button->title);
        }
    }
    for (const model::StatusItemNode& item : model::toolkit().statusItems) {
        if (item.menu == nullptr) {
            continue;
        }
        for (const model::MenuItemNode* menuItem : item.menu->items) {
            if (!menuItem->isHidden && !menuItem->isSeparator) {
                appendPlainText(" | ", menuItem->title);
            }
        }
    }
    frame += '\n';
    return handOut();
}

} // namespace tarvo::terminal
