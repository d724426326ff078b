// What every page of this folder draws with: the one typeface and the day
// page's sizes of it, the black and grey beside kDarkRed (page/day_page.h),
// the thick rules' width, and the two steps every element is made of: a
// text set at a point and a line between two points. For the sources of
// page/ only. Everything acts on the canvas attached to the calling thread
// (canvas/canvas.h); coordinates are pixels from the page's top-left corner.
#pragma once

#include <string_view>

#include "canvas/canvas.h"
#include "canvas/text.h"

namespace trevalda {

// The face of every page text, always bold.
inline constexpr std::string_view kFontFace = "New Times";

// The day page's sizes, points (both styles): its texts, the day number
// and the footer.
inline constexpr float kSmallPoints = 10;
inline constexpr float kDayNumberPoints = 38;
inline constexpr float kFooterPoints = 8;

inline constexpr Color kBlack = 0;
inline constexpr Color kGrey = 0xA0A0A0;  // days outside the range, faint numbers

// The thick dark-red rules under the titles, pixels.
inline constexpr int kRuleWidth = 5;

// Sets the text's cell top-left corner at (x, y), its colour over a
// transparent background, and prints it (Windows-1252).
inline void PrintAt(int x, int y, Color color, std::string_view text) {
  SetPosition(x, y);
  SetForeColor(color);
  SetBackColor(kTransparent);
  PrintText(text);
}

// A line from (x0, y0) to (x1, y1) in `color`, with the pen width set.
inline void Line(int x0, int y0, int x1, int y1, Color color) {
  SetPosition(x0, y0);
  DrawLineTo(x1, y1, color);
}

}  // namespace trevalda
