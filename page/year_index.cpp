#include "page/year_index.h"

#include <string>

#include "calendar/names.h"
#include "canvas/text.h"
#include "page/day_page.h"
#include "page/ink.h"

namespace trevalda {
namespace {

constexpr float kTitlePoints = 24;
constexpr float kMonthPoints = 10;
constexpr float kDayPoints = 10;
constexpr float kWeekdayPoints = 8;

constexpr int kTitleX = 10;
constexpr int kTitleY = 12;
constexpr int kGridTop = 90;
constexpr int kGridLeft = 22;
constexpr int kColumnWidth = 258;
constexpr int kBlockHeight = 252;
constexpr int kCellWidth = 34;
constexpr int kCellHeight = 26;
constexpr int kHeaderHeight = 24;  // the weekday letters
constexpr int kMonthTitleHeight = 24;
constexpr int kCellPadding = 6;
constexpr int kColumns = 3;

constexpr std::string_view kWeekdayLetters = "LMXJVSD";

int AverageCharWidth() {
  CanvasState state;
  return ReadCanvasState(state) ? state.averageCharWidth : 0;
}

// The week number of the row that starts with `date`, small and grey on
// the left of the month's grid; the day font is selected again after it.
void DrawWeekNumber(const PageDate& date, WeekRule rule, int gridLeft, int rowTop,
                    std::int32_t dayFont) {
  const std::int16_t week = rule == WeekRule::kIso ? IsoWeekNumber(date.year, date.month, date.day)
                                                   : WeekNumber(date.year, date.month, date.day);
  SetFont(NewFont(kFontFace, kWeekdayPoints, kFontBold));
  const std::string number = std::to_string(week);
  PrintAt(gridLeft - 3 - AverageCharWidth() * static_cast<int>(number.size()), rowTop + 8, kGrey,
          number);
  SetFont(dayFont);
}

}  // namespace

std::vector<IndexCell> DrawYearIndex(CanvasHandle canvas, std::string_view title,
                                     std::int16_t firstYear, std::int16_t firstMonth, int months,
                                     const PageDate& first, const PageDate& last,
                                     const IndexMarks& marks, std::vector<IndexCell>* monthTitles) {
  std::vector<IndexCell> cells;
  PreparePage(canvas);
  const std::int32_t titleFont = NewFont(kFontFace, kTitlePoints, kFontBold);
  const std::int32_t monthFont = NewFont(kFontFace, kMonthPoints, kFontBold);
  const std::int32_t dayFont = NewFont(kFontFace, kDayPoints, kFontBold);
  const std::int32_t weekdayFont = NewFont(kFontFace, kWeekdayPoints, kFontBold);
  SetFont(titleFont);
  PrintAt(kTitleX, kTitleY, kBlack, title);
  SetPenWidth(kRuleWidth);
  Line(kTitleX, kGridTop - 24, kPageWidth - 14, kGridTop - 24, kDarkRed);
  SetPenWidth(1);

  const std::int32_t firstSerial = DaySerial(first);
  const std::int32_t lastSerial = DaySerial(last);
  std::int16_t year = firstYear;
  std::int16_t month = firstMonth;
  for (int m = 0; m < months && m < kIndexMonths; ++m) {
    const int left = kGridLeft + (m % kColumns) * kColumnWidth;
    const int top = kGridTop + (m / kColumns) * kBlockHeight;
    SetFont(monthFont);
    const std::string monthTitle = std::string(MonthNames[month]) + " " + std::to_string(year);
    PrintAt(left, top, kBlack, monthTitle);
    if (monthTitles != nullptr) {
      const int width = AverageCharWidth() * static_cast<int>(monthTitle.size() + 1);
      monthTitles->push_back({{1, month, year}, left - 4, top - 4, left + width, top + 20});
    }

    SetFont(weekdayFont);
    const int headerTop = top + kMonthTitleHeight;
    const int charWidth = AverageCharWidth();
    for (int d = 0; d < 7; ++d) {
      PrintAt(left + d * kCellWidth + kCellWidth - kCellPadding - charWidth, headerTop + 4,
              d == 6 ? kDarkRed : kBlack, kWeekdayLetters.substr(static_cast<std::size_t>(d), 1));
    }
    SetPosition(left, headerTop + kHeaderHeight - 2);
    DrawLineTo(left + 7 * kCellWidth, headerTop + kHeaderHeight - 2, kBlack);

    SetFont(dayFont);
    const int digitWidth = AverageCharWidth();
    const int gridTop = headerTop + kHeaderHeight;
    int row = 0;
    for (std::int16_t day = 1; day <= DaysInMonth(year, month); ++day) {
      const PageDate date{day, month, year};
      const int column = Weekday(year, month, day) - 1;
      if (column == 0 && day > 1) ++row;
      const int cellLeft = left + column * kCellWidth;
      const int cellTop = gridTop + row * kCellHeight;
      if (day == 1 || column == 0) DrawWeekNumber(date, marks.week, left, cellTop, dayFont);
      const std::int32_t serial = DaySerial(date);
      const bool inRange = serial >= firstSerial && serial <= lastSerial;
      const IndexDayMark mark = inRange && marks.day ? marks.day(date) : IndexDayMark{};
      const std::string number = std::to_string(day);
      const int textWidth = digitWidth * static_cast<int>(number.size());
      const int textRight = cellLeft + kCellWidth - kCellPadding;
      const Color color = !inRange ? kGrey : column == 6 || mark.holiday ? kDarkRed : kBlack;
      PrintAt(textRight - textWidth, cellTop + 5, color, number);
      if (mark.entries) {
        SetPosition(textRight - 2 * digitWidth, cellTop + kCellHeight - 4);
        DrawLineTo(textRight, cellTop + kCellHeight - 4, color);
      }
      if (inRange) {
        cells.push_back({date, cellLeft, cellTop, cellLeft + kCellWidth, cellTop + kCellHeight});
      }
    }
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  return cells;
}

std::vector<IndexCell> DrawIndexTabs(CanvasHandle canvas, const std::vector<std::string>& names,
                                     std::size_t current) {
  constexpr int kTabsY = 1084;
  constexpr int kTabWidth = 66;
  constexpr int kTabsLeft = kGridLeft + 70;
  std::vector<IndexCell> tabs;
  AttachCanvas(canvas, 0, 0);
  SetFont(NewFont(kFontFace, kWeekdayPoints, kFontBold));
  PrintAt(kGridLeft, kTabsY, kBlack, "\xCDndices:");
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int x = kTabsLeft + static_cast<int>(i) * kTabWidth;
    PrintAt(x, kTabsY, i == current ? kDarkRed : kBlack, names[i]);
    tabs.push_back({{}, x - 4, kTabsY - 6, x + kTabWidth - 8, kTabsY + 20});
  }
  return tabs;
}

}  // namespace trevalda
