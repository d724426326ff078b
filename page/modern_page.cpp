#include "page/modern_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "calendar/almanac.h"
#include "canvas/text.h"
#include "page/ink.h"

namespace trevalda {
namespace {

// The ink area: kMargin from every edge (kPrintSafeMargin and a few pixels
// for the rules' round ends and the glyphs' antialiasing).
constexpr int kMargin = 24;
constexpr int kRight = kPageWidth - kMargin;

constexpr int kHeaderTextY = 22;
constexpr int kRuleY = 44;
constexpr int kLeftRuleEndX = 346;
constexpr int kRightRuleStartX = 448;
constexpr int kDayNumberY = kRuleY - 28;  // the classic page's gap between the number and its rule
constexpr int kSaintY = 50;
constexpr int kHolidayY = 68;
constexpr int kSunY = 90;
constexpr int kMoonY = 108;
constexpr int kMoonRadius = 6;
constexpr int kTextGap = 6;

// The month at a glance, under the right rule.
constexpr int kGlanceCell = 26;
constexpr int kGlanceLeft = kRight - 7 * kGlanceCell;
constexpr int kGlanceLettersY = 66;
constexpr int kGlanceFirstRowY = 82;
constexpr int kGlanceRow = 15;
constexpr int kGlancePadding = 5;
// The left part of the header, left of the month at a glance.
constexpr int kHeaderTextRight = kGlanceLeft - 12;

constexpr int kFirstLineY = 190;
constexpr int kLineStep = 20;
constexpr int kEntryRise = 16;
constexpr int kHourLabelRise = 14;
constexpr int kHourTextX = kMargin + 40;
constexpr int kFooterY = 1076;

// `text` in the selected font, cut (its end marked with an ellipsis) so
// that it is at most `width` pixels wide.
std::string Fitted(std::string text, int width) {
  if (TextWidth(text) <= width) return text;
  std::size_t low = 0;
  std::size_t high = text.size();  // the longest cut that fits lies in [low, high)
  while (high - low > 1) {
    const std::size_t middle = (low + high) / 2;
    if (TextWidth(text.substr(0, middle) + '\x85') <= width) {
      low = middle;
    } else {
      high = middle;
    }
  }
  text.resize(low);
  text.push_back('\x85');  // the Windows-1252 ellipsis
  return text;
}

void PrintFitted(int x, int y, int right, Color color, std::string_view text) {
  PrintAt(x, y, color, Fitted(std::string(text), right - x));
}

void PrintRightAligned(int right, int y, Color color, std::string_view text) {
  PrintAt(right - TextWidth(text), y, color, text);
}

std::string ClockText(int minuteOfDay) {
  minuteOfDay = ((minuteOfDay % 1440) + 1440) % 1440;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", minuteOfDay / 60, minuteOfDay % 60);
  return text;
}

std::string_view PhaseName(MoonPhase phase) {
  switch (phase) {
    case MoonPhase::kNew:
      return "Luna nueva";
    case MoonPhase::kFirstQuarter:
      return "Cuarto creciente";
    case MoonPhase::kFull:
      return "Luna llena";
    case MoonPhase::kLastQuarter:
      return "Cuarto menguante";
  }
  return {};
}

// The phase's symbol as seen from Spain, a disc of kMoonRadius around
// (cx, cy): its dark part filled, its outline drawn. New moon: all dark;
// first quarter: lit on the right; full: all lit; last quarter: lit on the
// left.
void DrawMoonSymbol(int cx, int cy, MoonPhase phase) {
  SetPenWidth(1);
  for (int dx = -kMoonRadius; dx <= kMoonRadius; ++dx) {
    const bool dark = phase == MoonPhase::kNew || (phase == MoonPhase::kFirstQuarter && dx < 0) ||
                      (phase == MoonPhase::kLastQuarter && dx > 0);
    if (!dark) continue;
    const int half = static_cast<int>(std::sqrt(kMoonRadius * kMoonRadius - dx * dx));
    Line(cx + dx, cy - half, cx + dx, cy + half + 1, kBlack);
  }
  constexpr int kSides = 24;
  constexpr double kTurn = 6.283185307179586;
  SetPosition(cx + kMoonRadius, cy);
  for (int k = 1; k <= kSides; ++k) {
    const double angle = kTurn * k / kSides;
    DrawLineTo(cx + kMoonRadius * std::cos(angle), cy + kMoonRadius * std::sin(angle), kBlack);
  }
}

void DrawHeader(const DayPageTexts& texts, std::int32_t smallFont, std::int32_t footerFont) {
  SetFont(smallFont);
  PrintAt(kMargin, kHeaderTextY, kBlack, texts.monthName);
  PrintRightAligned(kRight, kHeaderTextY, kBlack, texts.weekdayName);
  SetPenWidth(kRuleWidth);
  Line(kMargin, kRuleY, kLeftRuleEndX, kRuleY, kDarkRed);
  Line(kRightRuleStartX, kRuleY, kRight, kRuleY, kDarkRed);
  PrintFitted(kMargin, kSaintY, kLeftRuleEndX, kDarkRed, texts.saint);
  if (!texts.holiday.empty()) {
    PrintFitted(kMargin, kHolidayY, kHeaderTextRight, kDarkRed, texts.holiday);
  }
  if (!texts.sun.empty()) {
    PrintFitted(kMargin, kSunY, kHeaderTextRight, kBlack, texts.sun + " (" + texts.sunPlace + ")");
  }
  if (texts.moonPhase) {
    DrawMoonSymbol(kMargin + kMoonRadius, kMoonY + 8, *texts.moonPhase);
    PrintFitted(kMargin + 2 * kMoonRadius + kTextGap, kMoonY, kHeaderTextRight, kBlack, texts.moon);
  }
  SetFont(footerFont);
  PrintRightAligned(kRight, kSaintY, kDarkRed, texts.counters);
}

// The month of `date` in a small grid: weekday letters, the days under
// them, Sundays and holidays in dark red, the page's day framed.
void DrawMonthAtAGlance(const PageDate& date, std::uint32_t holidays, std::int32_t font) {
  SetFont(font);
  constexpr std::string_view kLetters = "LMXJVSD";
  for (int column = 0; column < 7; ++column) {
    const int right = kGlanceLeft + (column + 1) * kGlanceCell - kGlancePadding;
    PrintRightAligned(right, kGlanceLettersY, column == 6 ? kDarkRed : kBlack,
                      kLetters.substr(static_cast<std::size_t>(column), 1));
  }
  SetPenWidth(1);
  Line(kGlanceLeft + 4, kGlanceFirstRowY - 2, kRight, kGlanceFirstRowY - 2, kBlack);
  int row = 0;
  for (std::int16_t day = 1; day <= DaysInMonth(date.year, date.month); ++day) {
    const int column = Weekday(date.year, date.month, day) - 1;
    if (column == 0 && day > 1) ++row;
    const int left = kGlanceLeft + column * kGlanceCell;
    const int top = kGlanceFirstRowY + row * kGlanceRow;
    const bool red = column == 6 || (holidays >> day & 1U) != 0;
    PrintRightAligned(left + kGlanceCell - kGlancePadding, top, red ? kDarkRed : kBlack,
                      std::to_string(day));
    if (day == date.day) {
      const int x0 = left + 3;
      const int x1 = left + kGlanceCell - 1;
      const int y0 = top - 1;
      const int y1 = top + kGlanceRow - 1;
      SetPosition(x0, y0);
      DrawLineTo(x1, y0, kBlack);
      DrawLineTo(x1, y1, kBlack);
      DrawLineTo(x0, y1, kBlack);
      DrawLineTo(x0, y0, kBlack);
    }
  }
}

int LineY(int line) { return kFirstLineY + line * kLineStep; }

void DrawWritingLines(const DayPageContent& content, const DayPageTexts& texts,
                      std::int32_t smallFont, std::int32_t footerFont) {
  SetPenWidth(1);
  for (int line = 0; line < kModernWritingLines; ++line) {
    Line(kMargin, LineY(line), kRight, LineY(line), kBlack);
  }
  const std::optional<HourSpan>& hours = content.modern.hours;
  if (hours) {
    SetFont(footerFont);
    const int top = static_cast<int>(ModernTopLines(hours));
    for (int hour = hours->first; hour <= hours->last; ++hour) {
      const int y = LineY(top + 2 * (hour - hours->first)) - kHourLabelRise;
      PrintAt(kMargin, y, kDarkRed, std::to_string(hour) + ":00");
    }
  }
  SetFont(smallFont);
  for (std::size_t i = 0; i < texts.entryLines.size(); ++i) {
    PrintFitted(kMargin, LineY(static_cast<int>(i)) - kEntryRise, kRight, kBlack,
                texts.entryLines[i]);
  }
  for (const auto& [line, text] : texts.hourLines) {
    PrintFitted(kHourTextX, LineY(line) - kEntryRise, kRight, kBlack, text);
  }
}

}  // namespace

std::size_t ModernTopLines(const std::optional<HourSpan>& hours) {
  if (!hours) return kMaxEntryLines;
  const int left = kModernWritingLines - 2 * (hours->last - hours->first + 1);
  return static_cast<std::size_t>(std::clamp(left, 0, static_cast<int>(kMaxEntryLines)));
}

void AddModernTexts(const PageDate& date, const DayPageContent& content, DayPageTexts& texts) {
  const ModernPageOptions& modern = content.modern;
  if (const std::optional<MoonPhaseTime> moon = MoonPhaseOn(date, modern.zone)) {
    texts.moonPhase = moon->phase;
    texts.moon = std::string(PhaseName(moon->phase)) + " " + ClockText(moon->minuteOfDay);
  }
  if (modern.place) {
    const SunTimes sun = SunTimesOn(date, modern.place->where, modern.zone);
    if (sun.rise && sun.set) {
      texts.sun = "Sale " + ClockText(*sun.rise) + " \xB7 Se pone " + ClockText(*sun.set);
      texts.sunDescribed = "sale " + ClockText(*sun.rise) + ", se pone " + ClockText(*sun.set);
      texts.sunPlace = modern.place->name;
    }
  }
  if (modern.hours) {
    texts.hours = std::to_string(modern.hours->first) + "-" + std::to_string(modern.hours->last);
  }
}

void DrawModernPage(CanvasHandle canvas, const PageDate& date, const DayPageContent& content,
                    const DayPageTexts& texts) {
  AttachCanvas(canvas, 0, 0);
  const std::int32_t smallFont = NewFont(kFontFace, kSmallPoints, kFontBold);
  const std::int32_t dayFont = NewFont(kFontFace, kDayNumberPoints, kFontBold);
  const std::int32_t footerFont = NewFont(kFontFace, kFooterPoints, kFontBold);

  DrawHeader(texts, smallFont, footerFont);
  std::uint32_t holidays = content.monthHolidays;
  if (texts.holidayDay) holidays |= 1U << date.day;
  DrawMonthAtAGlance(date, holidays, footerFont);
  DrawWritingLines(content, texts, smallFont, footerFont);

  SetFont(footerFont);
  PrintAt(kMargin, kFooterY, kDarkRed, texts.year);
  PrintRightAligned(kRight, kFooterY, kDarkRed, texts.week);

  SetFont(dayFont);
  const bool red = texts.sunday || texts.holidayDay;
  PrintAt((kLeftRuleEndX + kRightRuleStartX) / 2 - TextWidth(texts.dayNumber) / 2, kDayNumberY,
          red ? kDarkRed : kBlack, texts.dayNumber);
}

}  // namespace trevalda
