#pragma once

// The terminal's stand-in for the system font. A terminal has one glyph size, so every font is
// the same fixed cell whatever its size or weight, and points map onto the character grid:
// a column is 4 points wide and a row 11 points tall. The 22-point status bar is thus two rows,
// and the 9-point readout's padding (4) and column gap (7) land close to one and two columns.
namespace tarvo::terminal {

inline constexpr double columnWidth = 4.0; // points per column: one narrow character
inline constexpr double rowHeight = 11.0;  // points per row

// Line height ceil(ascender - descender + leading) = 11: one text line is one row.
inline constexpr double cellAscender = 9.0;
inline constexpr double cellDescender = -2.0;
inline constexpr double cellLeading = 0.0;

} // namespace tarvo::terminal
