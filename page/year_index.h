// The index sheet at the front of a many-day document: up to twelve month
// grids (three across, four down) under a title, weeks from Monday to
// Sunday, Sundays in dark red, and days outside the document's range in
// grey. It is drawn with the canvas engine on a page of the day page's
// size; the document turns the cells it reports into links.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/calendar.h"
#include "canvas/canvas.h"
#include "page/day_page.h"

namespace trevalda {

// Months on one index sheet.
inline constexpr int kIndexMonths = 12;

// A day on the index sheet and the pixels of its cell.
struct IndexCell {
  PageDate date;
  std::int32_t left = 0;  // inclusive
  std::int32_t top = 0;
  std::int32_t right = 0;  // exclusive
  std::int32_t bottom = 0;
};

// What the index shows of a day beyond its number.
struct IndexDayMark {
  bool holiday = false;  // the number in dark red, as on Sundays
  bool entries = false;  // a short line under the number: the day has entries
};

// The marks of the index: the days' marks (none when empty) and the week
// rule of the numbers beside each month's rows.
struct IndexMarks {
  std::function<IndexDayMark(const PageDate&)> day;
  WeekRule week = WeekRule::kDiary;
};

// Paints `canvas` white and draws on it `title` (Windows-1252) and the
// grids of `months` months (1 to kIndexMonths) from `firstMonth` of
// `firstYear`, each row with its week number in grey on its left. Returns
// the cells of the days from `first` to `last` (the days shown in black),
// in date order; `monthTitles`, when given, receives the cells of the
// months' names (dated the 1st). The month and weekday tables must have
// been filled.
std::vector<IndexCell> DrawYearIndex(CanvasHandle canvas, std::string_view title,
                                     std::int16_t firstYear, std::int16_t firstMonth, int months,
                                     const PageDate& first, const PageDate& last,
                                     const IndexMarks& marks = {},
                                     std::vector<IndexCell>* monthTitles = nullptr);

// The row of tabs along the foot of an index sheet when the document has
// several: "Índices:" and one tab per sheet named `names[i]` (Windows-1252,
// short, at most ten tabs), the current one in dark red. Returns the cells
// of the tabs in the order of `names`.
std::vector<IndexCell> DrawIndexTabs(CanvasHandle canvas, const std::vector<std::string>& names,
                                     std::size_t current);

}  // namespace trevalda
