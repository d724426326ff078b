// The planner's own pages: a month at a glance, a week of seven days, lined
// notes and the column of month tabs that sits beside every page of a
// planner document. They are drawn with the canvas engine on a canvas of the
// day page's size (794 x 1123 pixels) in the day page's fonts and colours,
// with Spanish texts accented as they should be (Windows-1252).
//
// Every function attaches the canvas it is given, leaves it attached, and
// returns the areas a document turns into links, each naming what it goes
// to; nothing here knows pages or files. The month, weekday and saint tables
// must have been filled (InitializeTables).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/calendar.h"
#include "canvas/canvas.h"
#include "page/day_page.h"

namespace trevalda {

// What a planner link goes to.
enum class PlannerTarget {
  kDay,    // the page of `date`
  kWeek,   // the week page that holds `date`
  kMonth,  // the month page of `date`'s month
  kIndex,  // the index sheet that shows `date`'s month
};

// An area of a planner page (pixels, left/top inclusive, right/bottom
// exclusive) and where it leads.
struct PlannerLink {
  PlannerTarget target = PlannerTarget::kDay;
  PageDate date;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// One day as the planner pages show it.
struct PlannerDay {
  PageDate date;
  bool shown = false;                // in the document: drawn in full and linked; else grey
  std::string holiday;               // the day's holidays joined by " · ", empty: none
  std::vector<std::string> entries;  // its other entries, in order
};

// The month page: `days` holds every day of the month in order. Rows run
// Monday to Sunday, the week number (by `week`) beside each row.
struct MonthPageData {
  std::int16_t year = 0;
  std::int16_t month = 0;
  std::vector<PlannerDay> days;
  WeekRule week = WeekRule::kDiary;
  bool hasPrevious = false;  // the month before has a page: a link to it
  bool hasNext = false;
};

// Draws the month page (title "Enero 2027", the grid, holidays and the
// first entries that fit in each cell). Links: every shown day to its page
// (kDay), each row's week number to its week page (kWeek, the row's first
// shown day), the previous and next months (kMonth).
std::vector<PlannerLink> DrawMonthPage(CanvasHandle canvas, const MonthPageData& data);

// The week page: seven days, Monday to Sunday; days of other weeks or
// outside the document are not `shown`.
struct WeekPageData {
  std::string title;  // "Semana 1 (2027)"
  std::array<PlannerDay, 7> days;
  WeekRule week = WeekRule::kDiary;
  PageDate month;                    // the month page it links to (kMonth)
  std::optional<PageDate> previous;  // a day of the previous week page (kWeek), if any
  std::string previousText;          // "Semana 52"
  std::optional<PageDate> next;      // a day of the next week page, if any
  std::string nextText;
};

// Draws the week page: the title and its month (a link), a block per day
// with weekday, date, saint, holiday and entries and lines to write on, each
// shown block a link to its day; the previous and next weeks at the foot.
std::vector<PlannerLink> DrawWeekPage(CanvasHandle canvas, const WeekPageData& data);

// Draws a lined notes page titled `title` ("Notas enero 2027"). Returns
// the title's area (a link back to its month; the caller picks the page).
PlannerLink DrawNotesPage(CanvasHandle canvas, std::string_view title);

// Width of the tab column, pixels of the page's scale.
inline constexpr std::int32_t kTabColumnWidth = 44;

// Draws the column of tabs E F M A M J J A S O N D and "Índice" at the left
// edge (x from 0 to kTabColumnWidth) of an otherwise untouched canvas: the
// month `current` (1 to 12) highlighted, or the index tab when it is 0.
// `inDocument[m - 1]` says which months of `year` have pages; the others
// are grey and carry no link. Links: kMonth for the months, kIndex (dated
// `indexOf`) for the index tab, grey without one when `indexOf` is empty
// (a document without an index).
std::vector<PlannerLink> DrawMonthTabs(CanvasHandle canvas, std::int16_t year, int current,
                                       const std::array<bool, 12>& inDocument,
                                       const std::optional<PageDate>& indexOf);

// Lower-case Spanish month names ("enero") and accented weekday names
// ("Miércoles", 1 = Monday), Windows-1252.
std::string_view PlannerMonthName(int month);
std::string_view PlannerWeekdayName(int weekday);

}  // namespace trevalda
