// The modern day page: the classic page's elements in a print-safe layout
// with what a printed Spanish agenda carries.
//
// 794 x 1123 pixels like the classic page, drawn with the same canvas
// calls. No ink lies within kPrintSafeMargin pixels (5 mm) of any edge.
// At the top the month name (left) and the weekday (right-aligned to the
// margin) over the two dark-red rules, the day number centred between
// them; under the left rule the saint or movable feast (dark red), the
// holiday band, sunrise and sunset for the chosen place and, on the days of
// the four principal phases, the moon's phase with its time and a small
// drawn symbol; under the right rule the counters and the month at a glance
// (L M X J V S D, the page's day framed, Sundays and holidays in dark red).
// Then kModernWritingLines writing lines, optionally labelled with the
// hours, and the footer.
#pragma once

#include <cstddef>
#include <optional>

#include "calendar/calendar.h"
#include "canvas/canvas.h"
#include "page/day_page.h"

namespace trevalda {

// Pixels kept free of ink along every edge: 5 mm at 96 dots per inch.
inline constexpr int kPrintSafeMargin = 19;

// Writing lines on the modern page.
inline constexpr int kModernWritingLines = 44;

// The most hours --hours can label: two lines each, and at least two lines
// left at the top for the entries without a time.
inline constexpr int kMaxLabelledHours = (kModernWritingLines - 2) / 2;

// The writing lines at the top that take the entries without a time: all of
// kMaxEntryLines without hours, else as many of them as the hours leave.
std::size_t ModernTopLines(const std::optional<HourSpan>& hours);

// Fills the modern page's own texts of `texts` for `date`: the moon, the
// sun and the hours.
void AddModernTexts(const PageDate& date, const DayPageContent& content, DayPageTexts& texts);

// Draws the modern page of `date` with its `texts` (MakeDayPageTexts) on
// `canvas`, which PreparePage has painted white. Leaves `canvas` attached.
void DrawModernPage(CanvasHandle canvas, const PageDate& date, const DayPageContent& content,
                    const DayPageTexts& texts);

}  // namespace trevalda
