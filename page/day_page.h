// The day page: what it shows and where.
//
// The page is 794 x 1123 pixels. At the top, the month name (left) and the
// weekday name (right) in black, each above a thick dark-red rule; the day
// number in the gap between the rules (dark red on Sundays, black
// otherwise, always at least two digits); the saint of the day under the
// left rule and the day counters ("341/24": day of the year / days left)
// under the right one; fifty thin black writing lines; and a footer with
// "Año " and the year on the left and "Semana " and the week number on the
// right. Texts are Windows-1252 and drawn transparently over the page.
//
// A page may also carry agenda entries for its date: holidays print in dark
// red on the free band between the saint and the first writing line (and
// make the day number dark red, as on Sundays); other entries sit on the
// first writing lines in the small font, one a line. A holiday whose name
// is the saint line itself is not printed a second time. Without entries
// and with the default options the page is exactly the classic one.
//
// The page comes in two styles: the classic one above, and the modern one
// (page/modern_page.h): the same elements with accented Spanish, the
// reviewed saints and movable feasts, ink kept kPrintSafeMargin pixels from
// every edge, and a month at a glance, the moon, the sun and the hours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "agenda/agenda.h"

#include "calendar/almanac.h"
#include "calendar/calendar.h"
#include "canvas/canvas.h"

namespace trevalda {

// Width and height of the page canvas, pixels.
inline constexpr std::int32_t kPageWidth = 794;
inline constexpr std::int32_t kPageHeight = 1123;

// The page's dark red, MakeColor(139, 0, 0).
inline constexpr Color kDarkRed = 0x00008B;

// Which week number the footer prints.
enum class WeekRule {
  kDiary,  // the page's own rule, WeekNumber (the classic page)
  kIso,    // ISO 8601, IsoWeekNumber
};

enum class PageStyle {
  kClassic,  // the page as it has always been, byte for byte
  kModern,   // page/modern_page.h
};

// The writing lines of the modern page labelled with the hours `first` to
// `last` (0..23, first < last), two lines an hour.
struct HourSpan {
  int first = 0;
  int last = 0;
  friend bool operator==(const HourSpan&, const HourSpan&) = default;
};

// Where the modern page's sunrise and sunset are computed for.
struct SunPlace {
  std::string name;  // as printed after the times (Windows-1252): "Madrid", "40.42, -3.70"
  GeoPoint where;
  SpanishTime zone = SpanishTime::kPeninsula;  // the place's own local time
};

// What the modern page adds; the classic page reads none of it.
struct ModernPageOptions {
  std::optional<HourSpan> hours;               // none: the writing lines carry no hours
  std::optional<SunPlace> place;               // none: no sunrise and sunset
  SpanishTime zone = SpanishTime::kPeninsula;  // the local time of the moon and the sun
};

// What the page shows beyond the classic texts. The default is the classic
// page.
struct DayPageContent {
  std::vector<AgendaEntry> entries;  // the date's agenda entries, in order
  WeekRule week = WeekRule::kDiary;
  PageStyle style = PageStyle::kClassic;
  ModernPageOptions modern;  // read only in the modern style
  // The days of the page's month that are holidays, bit d for day d (the
  // modern page's month at a glance prints them in red).
  std::uint32_t monthHolidays = 0;
};

// Writing lines the entries may fill; when there are more entries, the last
// of these lines says how many more ("y 3 más").
inline constexpr std::size_t kMaxEntryLines = 8;
// An entry or the holiday band is cut to this many characters (with "..."),
// about the width of a writing line.
inline constexpr std::size_t kMaxEntryChars = 100;

// Every text the page carries for one date, Windows-1252.
struct DayPageTexts {
  std::string monthName;
  std::string weekdayName;
  std::string dayNumber;  // "07", "31"
  std::string saint;
  std::string counters;                 // "341/24"
  std::string week;                     // "Semana 50"
  std::string year;                     // "Año 2026" (the ñ as the byte 0xF1)
  bool sunday = false;                  // the day number is dark red
  bool holidayDay = false;              // a holiday falls on the day: the day number is dark red
  std::string holiday;                  // the holiday entries, joined by " · "; empty: none
  std::vector<std::string> entryLines;  // the other entries, at most kMaxEntryLines lines

  // The modern page only.
  // Entries placed on the hours' lines: the writing line (0 = the first)
  // and its text, by line.
  std::vector<std::pair<int, std::string>> hourLines;
  std::optional<MoonPhase> moonPhase;  // the principal phase of the day, if any
  std::string moon;                    // "Luna llena 14:27"; empty: no phase that day
  std::string sun;                     // "Sale 08:21 · Se pone 17:50"; empty: no place
  std::string sunPlace;                // "Madrid"
  std::string sunDescribed;            // "sale 08:21, se pone 17:50"
  std::string hours;                   // "8-21"; empty: no hours
};

// The texts for `date`, read from the month, weekday and saint tables
// (which must have been filled), plus the content's entries and week rule.
// For a date that is not a real calendar day the tables yield empty texts;
// nothing reads outside them.
DayPageTexts MakeDayPageTexts(const PageDate& date, const DayPageContent& content = {});

// Attaches `canvas` and paints it white.
void PreparePage(CanvasHandle canvas);

// Draws the whole day page for `date` on `canvas`, in a fixed order, with
// the page's own fonts, colours and positions, and the content's entries.
// Leaves `canvas` attached.
void DrawDayPage(CanvasHandle canvas, const PageDate& date, const DayPageContent& content = {});

}  // namespace trevalda
