#pragma once

#include "platform/model/Toolkit.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvo::terminal {

struct ScreenSize {
    int columns = 80;
    int rows = 24;
};

// What the terminal shows of the toolkit: the status bar as two rows at the top, each status
// item drawn by its own view (or its button's title), and under the bar the menus of the items,
// with separators as rules, disabled items dimmed and hidden ones left out. Redraws the views
// that need it, and hands out output only when it differs from the last.
class Screen {
public:
    // Bytes that bring a full-screen terminal of `size` up to date; empty when nothing changed.
    // The menus show their key equivalents only where keys can be typed.
    std::string_view terminalFrame(ScreenSize size, bool offersKeys);

    // The status texts and the shown menu titles as one plain line, with no escape sequences;
    // empty when nothing changed.
    std::string_view plainLine();

    // The next output is handed out even if unchanged (after the terminal was resized).
    void invalidate() { isInvalid = true; }

private:
    struct Placement {
        int column;
        int maxColumns;
        std::string_view text;
    };

    void redrawViews();
    bool beginLine();
    void pad(int column);
    void put(std::string_view text, int maxColumns);
    void appendStatusRow(int row);
    void addPlacement(const Placement& placement);
    void placeDrawnTexts(const model::ViewNode& view, int row, int start, int columns);
    std::string_view shownKey(const model::MenuItemNode& item) const;
    void appendMenu(const model::MenuNode& menu);
    void appendPlainText(std::string_view separator, std::string_view text);
    std::string_view handOut();

    std::string frame;
    std::string shown;
    std::vector<Placement> placements;
    ScreenSize screen;
    bool isOfferingKeys = true;
    int lines = 0;
    int column = 0;
    bool isInvalid = true;
};

} // namespace tarvo::terminal
