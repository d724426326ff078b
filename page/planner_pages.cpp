#include "page/planner_pages.h"

#include <algorithm>

#include "calendar/saints.h"
#include "canvas/text.h"
#include "page/ink.h"

namespace trevalda {
namespace {

constexpr Color kLineGrey = 0x909090;
constexpr Color kWhite = 0xFFFFFF;

// Shared by the three pages: a title, a thick dark-red rule under it.
constexpr int kMargin = 10;
constexpr int kRight = 780;  // where the day page's rules end
constexpr int kTitleY = 12;
constexpr int kRuleY = 66;
constexpr int kFooterY = 1082;
constexpr int kLineStep = 20;

// The month grid.
constexpr int kWeekColumnLeft = kMargin;
constexpr int kGridLeft = 50;
constexpr int kCellWidth = 104;  // 7 x 104: the grid ends at 778
constexpr int kHeaderY = 76;
constexpr int kGridTop = 100;
constexpr int kGridBottom = 1070;
constexpr int kCellPadding = 6;
constexpr int kSmallLine = 13;  // a line of the 8-point font in a cell

// The week's blocks.
constexpr int kBlocksTop = 76;
constexpr int kBlockHeight = 141;  // seven blocks end at 1063
constexpr int kSaintX = 330;

// The tabs.
constexpr int kTabTop = 2;
constexpr int kTabHeight = 86;  // thirteen tabs end at 1120
constexpr int kTabPen = 38;

constexpr std::array<std::string_view, 12> kMonths = {
    "enero", "febrero", "marzo",      "abril",   "mayo",      "junio",
    "julio", "agosto",  "septiembre", "octubre", "noviembre", "diciembre"};
constexpr std::array<std::string_view, 7> kWeekdays = {"Lunes",
                                                       "Martes",
                                                       "Mi\xE9rcoles",
                                                       "Jueves",
                                                       "Viernes",
                                                       "S\xE1"
                                                       "bado",
                                                       "Domingo"};
constexpr std::string_view kTabLetters = "EFMAMJJASOND";

struct Fonts {
  std::int32_t title = NewFont(kFontFace, 24, kFontBold);
  std::int32_t day = NewFont(kFontFace, 14, kFontBold);
  std::int32_t normal = NewFont(kFontFace, 10, kFontBold);
  std::int32_t small = NewFont(kFontFace, 8, kFontBold);
};

int AverageCharWidth() {
  CanvasState state;
  return ReadCanvasState(state) ? std::max(1, state.averageCharWidth) : 1;
}

// Characters of the selected font that fit in `width` pixels, by its
// average width with room for wide letters.
std::size_t CharsIn(int width) {
  return static_cast<std::size_t>(std::max(1, width * 4 / (AverageCharWidth() * 5)));
}

// `text` broken at blanks into lines of at most `width` characters (a
// longer word is cut).
std::vector<std::string> Wrapped(std::string_view text, std::size_t width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t blank = text.find(' ', i);
    std::string_view word = text.substr(i, blank == std::string_view::npos ? blank : blank - i);
    i = blank == std::string_view::npos ? text.size() : blank + 1;
    while (!word.empty()) {
      if (!line.empty() && line.size() + 1 + word.size() <= width) {
        line.append(" ").append(word);
        word = {};
      } else if (line.empty()) {
        const std::size_t take = std::min(word.size(), width);
        line.assign(word.substr(0, take));
        word.remove_prefix(take);
      } else {
        lines.push_back(std::move(line));
        line.clear();
      }
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

// `text` cut to `width` characters, the cut marked with an ellipsis.
std::string Cut(std::string_view text, std::size_t width) {
  if (text.size() <= width) return std::string(text);
  return std::string(text.substr(0, width > 0 ? width - 1 : 0)) + '\x85';
}

std::string MonthTitle(std::int16_t year, std::int16_t month) {
  std::string title(PlannerMonthName(month));
  if (!title.empty()) title[0] = static_cast<char>(title[0] - 'a' + 'A');
  return title + " " + std::to_string(year);
}

bool RedDay(const PlannerDay& day) {
  return Weekday(day.date.year, day.date.month, day.date.day) == kSunday || !day.holiday.empty();
}

std::int16_t WeekOf(const PageDate& date, WeekRule rule) {
  return rule == WeekRule::kIso ? IsoWeekNumber(date.year, date.month, date.day)
                                : WeekNumber(date.year, date.month, date.day);
}

void DrawTitle(const Fonts& fonts, std::string_view title) {
  SetFont(fonts.title);
  PrintAt(kMargin, kTitleY, kBlack, title);
  SetPenWidth(kRuleWidth);
  Line(kMargin, kRuleY, kRight, kRuleY, kDarkRed);
  SetPenWidth(1);
}

// The holiday and entries of a shown day in a cell, as many lines as fit
// from `top` to `bottom`; the last line says how many more when not all do.
void DrawCellTexts(const PlannerDay& day, int left, int top, int bottom, int width) {
  struct CellLine {
    std::string text;
    Color color;
    int entry;  // the entry it belongs to; -1: the holiday
  };
  const std::size_t chars = CharsIn(width);
  std::vector<CellLine> lines;
  for (std::string& line : Wrapped(day.holiday, chars)) lines.push_back({line, kDarkRed, -1});
  for (std::size_t e = 0; e < day.entries.size(); ++e) {
    for (std::string& line : Wrapped(day.entries[e], chars)) {
      lines.push_back({line, kBlack, static_cast<int>(e)});
    }
  }
  const auto room = static_cast<std::size_t>(std::max(0, (bottom - top) / kSmallLine));
  if (lines.size() > room && room > 0) {
    // Whole entries only, and a last line that counts the others.
    std::size_t kept = room - 1;
    while (kept > 0 && lines[kept - 1].entry >= 0 && lines[kept].entry == lines[kept - 1].entry) {
      --kept;
    }
    const int shown = kept > 0 && lines[kept - 1].entry >= 0 ? lines[kept - 1].entry + 1 : 0;
    lines.resize(kept);
    const auto hidden = static_cast<int>(day.entries.size()) - shown;
    if (hidden > 0) lines.push_back({"y " + std::to_string(hidden) + " m\xE1s", kBlack, -1});
  }
  for (std::size_t i = 0; i < lines.size() && i < room; ++i) {
    PrintAt(left, top + static_cast<int>(i) * kSmallLine, lines[i].color, lines[i].text);
  }
}

}  // namespace

std::string_view PlannerMonthName(int month) {
  return month >= 1 && month <= 12 ? kMonths[static_cast<std::size_t>(month - 1)] : "";
}

std::string_view PlannerWeekdayName(int weekday) {
  return weekday >= 1 && weekday <= 7 ? kWeekdays[static_cast<std::size_t>(weekday - 1)] : "";
}

std::vector<PlannerLink> DrawMonthPage(CanvasHandle canvas, const MonthPageData& data) {
  std::vector<PlannerLink> links;
  PreparePage(canvas);
  const Fonts fonts;
  DrawTitle(fonts, MonthTitle(data.year, data.month));

  // The months before and after, top right.
  SetFont(fonts.normal);
  const PageDate first{1, data.month, data.year};
  if (data.hasPrevious) {
    const PageDate before = DateFromSerial(DaySerial(first) - 1);
    PrintAt(470, 30, kBlack, "\xAB " + MonthTitle(before.year, before.month));
    links.push_back({PlannerTarget::kMonth, before, 460, 22, 620, 56});
  }
  if (data.hasNext) {
    const PageDate after = DateFromSerial(DaySerial(first) + DaysInMonth(data.year, data.month));
    PrintAt(640, 30, kBlack, MonthTitle(after.year, after.month) + " \xBB");
    links.push_back({PlannerTarget::kMonth, after, 630, 22, kRight + 14, 56});
  }

  SetFont(fonts.small);
  PrintAt(kWeekColumnLeft, kHeaderY + 4, kDarkRed, "Sem.");
  SetFont(fonts.normal);
  for (int d = 0; d < 7; ++d) {
    PrintAt(kGridLeft + d * kCellWidth + kCellPadding, kHeaderY, d == 6 ? kDarkRed : kBlack,
            kWeekdays[static_cast<std::size_t>(d)]);
  }

  const int firstColumn = Weekday(data.year, data.month, 1) - 1;
  const int days = static_cast<int>(data.days.size());
  const int rows = (firstColumn + days + 6) / 7;
  const int rowHeight = rows > 0 ? (kGridBottom - kGridTop) / rows : 0;
  const int gridRight = kGridLeft + 7 * kCellWidth;
  for (int r = 0; r <= rows; ++r) {
    Line(kMargin, kGridTop + r * rowHeight, gridRight, kGridTop + r * rowHeight, kLineGrey);
  }
  for (int c = 0; c <= 7; ++c) {
    const int x = kGridLeft + c * kCellWidth;
    Line(x, kGridTop, x, kGridTop + rows * rowHeight + 1, kLineGrey);
  }

  for (int i = 0; i < days; ++i) {
    const PlannerDay& day = data.days[static_cast<std::size_t>(i)];
    const int cell = firstColumn + i;
    const int left = kGridLeft + (cell % 7) * kCellWidth;
    const int top = kGridTop + (cell / 7) * rowHeight;
    SetFont(fonts.day);
    PrintAt(left + kCellPadding, top + 4,
            !day.shown    ? kGrey
            : RedDay(day) ? kDarkRed
                          : kBlack,
            std::to_string(day.date.day));
    if (!day.shown) continue;
    SetFont(fonts.small);
    DrawCellTexts(day, left + kCellPadding, top + 30, top + rowHeight - 2,
                  kCellWidth - 2 * kCellPadding);
    links.push_back({PlannerTarget::kDay, day.date, left, top, left + kCellWidth, top + rowHeight});
  }

  // Week numbers: the week of each row's first day of the month.
  SetFont(fonts.normal);
  for (int r = 0; r < rows; ++r) {
    const int firstOfRow = std::max(0, r * 7 - firstColumn);
    const int top = kGridTop + r * rowHeight;
    PrintAt(
        kWeekColumnLeft + 4, top + 8, kDarkRed,
        std::to_string(WeekOf(data.days[static_cast<std::size_t>(firstOfRow)].date, data.week)));
    for (int i = firstOfRow; i < days && i < (r + 1) * 7 - firstColumn; ++i) {
      const PlannerDay& day = data.days[static_cast<std::size_t>(i)];
      if (!day.shown) continue;
      links.push_back({PlannerTarget::kWeek, day.date, 0, top, kGridLeft, top + rowHeight});
      break;
    }
  }
  return links;
}

std::vector<PlannerLink> DrawWeekPage(CanvasHandle canvas, const WeekPageData& data) {
  std::vector<PlannerLink> links;
  PreparePage(canvas);
  const Fonts fonts;
  DrawTitle(fonts, data.title);
  SetFont(fonts.normal);
  PrintAt(640, 30, kBlack, MonthTitle(data.month.year, data.month.month));
  links.push_back({PlannerTarget::kMonth, data.month, 630, 22, kRight + 14, 56});

  for (int d = 0; d < 7; ++d) {
    const PlannerDay& day = data.days[static_cast<std::size_t>(d)];
    const int top = kBlocksTop + d * kBlockHeight;
    SetPenWidth(2);
    if (d > 0) Line(kMargin, top, kRight, top, kDarkRed);
    SetPenWidth(1);
    const PageDate& date = day.date;
    const std::string heading = std::string(kWeekdays[static_cast<std::size_t>(d)]) + " " +
                                std::to_string(date.day) + " de " +
                                std::string(PlannerMonthName(date.month));
    SetFont(fonts.normal);
    PrintAt(kMargin, top + 6, !day.shown ? kGrey : RedDay(day) ? kDarkRed : kBlack, heading);
    for (int y = top + 40; y < top + kBlockHeight - 4; y += kLineStep) {
      Line(kMargin, y, kRight, y, kLineGrey);
    }
    if (!day.shown) continue;
    SetFont(fonts.small);
    PrintAt(kSaintX, top + 9, kDarkRed,
            Cut(SaintTable(date.day, date.month), CharsIn(kRight - kSaintX)));
    std::vector<std::pair<std::string, Color>> lines;
    if (!day.holiday.empty()) lines.emplace_back(day.holiday, kDarkRed);
    for (const std::string& entry : day.entries) lines.emplace_back(entry, kBlack);
    const std::size_t room = static_cast<std::size_t>((kBlockHeight - 40) / kLineStep);
    const std::size_t chars = CharsIn(kRight - kMargin);
    for (std::size_t i = 0; i < lines.size() && i < room; ++i) {
      std::string text = Cut(lines[i].first, chars);
      if (i + 1 == room && lines.size() > room) {
        text = "y " + std::to_string(lines.size() - i) + " m\xE1s";
      }
      PrintAt(kMargin, top + 40 + static_cast<int>(i) * kLineStep - 16, lines[i].second, text);
    }
    links.push_back({PlannerTarget::kDay, date, 0, top, kPageWidth, top + kBlockHeight});
  }

  SetFont(fonts.small);
  if (data.previous) {
    PrintAt(kMargin, kFooterY, kDarkRed, "\xAB " + data.previousText);
    links.push_back({PlannerTarget::kWeek, *data.previous, 0, 1070, kPageWidth / 2, kPageHeight});
  }
  if (data.next) {
    PrintAt(700, kFooterY, kDarkRed, data.nextText + " \xBB");
    links.push_back(
        {PlannerTarget::kWeek, *data.next, kPageWidth / 2, 1070, kPageWidth, kPageHeight});
  }
  return links;
}

PlannerLink DrawNotesPage(CanvasHandle canvas, std::string_view title) {
  PreparePage(canvas);
  const Fonts fonts;
  DrawTitle(fonts, title);
  for (int y = kRuleY + 34; y <= 1060; y += kLineStep) Line(kMargin, y, kRight, y, kBlack);
  return {PlannerTarget::kMonth, {}, 0, 0, kRight, kRuleY - 4};
}

std::vector<PlannerLink> DrawMonthTabs(CanvasHandle canvas, std::int16_t year, int current,
                                       const std::array<bool, 12>& inDocument,
                                       const std::optional<PageDate>& indexOf) {
  std::vector<PlannerLink> links;
  AttachCanvas(canvas, 0, 0);
  const Fonts fonts;
  const int middle = kTabColumnWidth / 2;
  for (int t = 0; t <= 12; ++t) {
    const int top = kTabTop + t * kTabHeight;
    const bool index = t == 12;
    const bool highlighted = index ? current == 0 : current == t + 1;
    const bool linked = index ? indexOf.has_value() : inDocument[static_cast<std::size_t>(t)];
    if (t > 0) {
      SetPenWidth(1);
      Line(4, top, kTabColumnWidth - 4, top, kLineGrey);
    }
    if (highlighted) {
      SetPenWidth(kTabPen);
      Line(middle, top + kTabPen / 2 + 4, middle, top + kTabHeight - kTabPen / 2 - 4, kDarkRed);
      SetPenWidth(1);
    }
    const Color color = highlighted ? kWhite : linked ? kBlack : kGrey;
    SetFont(index ? fonts.small : fonts.normal);
    const std::string_view text =
        index ? std::string_view("\xCDndice") : kTabLetters.substr(static_cast<std::size_t>(t), 1);
    const int width = AverageCharWidth() * static_cast<int>(text.size());
    PrintAt(middle - width / 2, top + kTabHeight / 2 - 8, color, text);
    if (!linked) continue;
    const PageDate date = index ? *indexOf : PageDate{1, static_cast<std::int16_t>(t + 1), year};
    links.push_back({index ? PlannerTarget::kIndex : PlannerTarget::kMonth, date, 0, top,
                     kTabColumnWidth, top + kTabHeight});
  }
  return links;
}

}  // namespace trevalda
