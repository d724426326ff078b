// What a yearbook PDF carries around its day pages: the index sheets at the
// front (month grids whose days link to their pages), the links of every
// day page, the outline by month, the page labels, the metadata and the
// sheets for the paper asked for.
//
// Drawn pages come in this order: the index sheets, then one page per day.
// Links on a day page (invisible; the drawn page does not change):
//   - the month name (top left, above the left rule): back to the index
//     sheet that shows the month;
//   - the left part of the footer ("Año AAAA"): the previous day;
//   - the right part of the footer ("Semana N"): the next day.
// With one index sheet (ranges of up to twelve months), any day is at
// most two taps from any page. Longer ranges get one index sheet per twelve
// months, with tabs along their foot from each to the others: three taps.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "app/create_page.h"
#include "app/imposition.h"
#include "calendar/calendar.h"
#include "canvas/canvas.h"
#include "canvas/document_layout.h"
#include "page/day_page.h"
#include "page/year_index.h"

namespace trevalda {

// Index sheets for the range: none for a single day, else one per twelve
// months the range touches.
std::int32_t IndexSheetCount(const DateRange& range);

// The drawn page of a date of the range (after the index sheets).
std::int32_t DayPageOf(const DateRange& range, const PageDate& date);

// The page label of index sheet `sheet` (from 0) of `sheets`, Windows-1252:
// "Índice", or "Índice 1", "Índice 2" ... when there are more than one.
std::string IndexSheetLabel(std::int32_t sheets, std::int32_t sheet);

// Where the links of a day page go: drawn pages, -1 for none.
struct DayPageTargets {
  std::int32_t index = -1;     // from the month name: the index sheet of the month
  std::int32_t previous = -1;  // from the left of the footer: the day before
  std::int32_t next = -1;      // from the right of the footer: the day after
};

// Adds to `links` the links of day page `page` (see above) to `targets`;
// the month name's area lies over that text as `style` draws it.
void LinkDayPage(std::int32_t page, const DayPageTargets& targets, PageStyle style,
                 std::vector<canvas::PageLink>& links);

// The document's title, Windows-1252: "Agenda 2027" for a whole year, else
// "Agenda dd/mm/aaaa - dd/mm/aaaa" (or the one date).
std::string YearbookTitle(const DateRange& range);

// "D:YYYYMMDDHHmmSSZ" for a time (UTC).
std::string PdfDate(std::time_t when);

// When a document is made: now, or SOURCE_DATE_EPOCH when the environment
// sets it (for reproducible files).
std::time_t CreationTime();

// Where the index sheets' links go: the page of a day, and (when set) the
// page of a month (dated the 1st; -1 or unset: the month name is no link).
struct IndexTargets {
  std::function<std::int32_t(const PageDate&)> day;
  std::function<std::int32_t(const PageDate&)> month;
};

// The index marks of `agenda`'s days (holidays in red, a line under days
// with other entries) and its week rule.
IndexMarks IndexMarksFor(const AgendaOptions& agenda);

// Draws index sheet `sheet` (0 to IndexSheetCount - 1) on `canvas` with
// `marks` and returns the links of its day cells (to DayPageOf, or as
// `targets` says) and tabs.
std::vector<canvas::PageLink> DrawIndexSheet(CanvasHandle canvas, const DateRange& range,
                                             std::int32_t sheet, const IndexMarks& marks = {},
                                             const IndexTargets& targets = {});

// The layout of the whole document, given the index links already made.
// A booklet keeps the outline and metadata but no links or labels (it is
// for paper). The day pages' link areas lie over the texts of `style`.
canvas::DocumentLayout MakeYearbookLayout(const DateRange& range,
                                          std::vector<canvas::PageLink> indexLinks,
                                          const SheetOptions& options, std::time_t created,
                                          PageStyle style = PageStyle::kClassic);

}  // namespace trevalda
