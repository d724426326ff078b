#include "page/day_page.h"

#include <algorithm>

#include "calendar/modern_saints.h"
#include "calendar/names.h"
#include "calendar/saints.h"
#include "canvas/text.h"
#include "page/ink.h"
#include "page/modern_page.h"

namespace trevalda {
namespace {

// Where each element goes, pixels from the top-left of the page.
constexpr int kLeftMargin = 10;
constexpr int kHeaderTextY = 8;
constexpr int kWeekdayX = 720;
constexpr int kRuleY = 30;
constexpr int kLeftRuleEndX = 350;
constexpr int kRightRuleStartX = 450;
constexpr int kRuleEndX = 780;
constexpr int kSaintY = 36;
constexpr int kCountersX = 735;
constexpr int kFooterY = 1082;
constexpr int kWeekX = 720;
constexpr int kFirstLineY = 80;
constexpr int kLastLineY = 1060;
constexpr int kLineStep = 20;
constexpr int kDayNumberX = 375;
constexpr int kDayNumberY = 2;
constexpr int kHolidayY = 57;   // the band between the saint (36) and the first line (80)
constexpr int kEntryRise = 16;  // an entry's cell top above the line it sits on

constexpr int kWritingLineWidth = 1;

// `text` cut to kMaxEntryChars, the cut marked with an ellipsis.
std::string Clipped(std::string text) {
  if (text.size() > kMaxEntryChars) {
    text.resize(kMaxEntryChars - 1);
    text.push_back('\x85');  // the Windows-1252 ellipsis
  }
  return text;
}

// `text` without the blanks at its end.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The hour and minute of an entry that starts with a time ("18:30 ..."),
// as the calendars write timed events; nothing for other entries.
std::optional<std::pair<int, int>> EntryTime(std::string_view text) {
  const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
  if (text.size() < 6 || !digit(0) || !digit(1) || text[2] != ':' || !digit(3) || !digit(4) ||
      text[5] != ' ') {
    return std::nullopt;
  }
  const int hour = (text[0] - '0') * 10 + (text[1] - '0');
  const int minute = (text[3] - '0') * 10 + (text[4] - '0');
  if (hour > 23 || minute > 59) return std::nullopt;
  return std::pair{hour, minute};
}

// The entries' texts: holidays joined on the holiday band (a holiday that is
// the saint line itself only marks the day), timed entries on their hour's
// line when the page has `hours` (from line `topLines` on), the rest on the
// first `topLines` lines.
void AddEntryTexts(const DayPageContent& content, std::size_t topLines,
                   const std::optional<HourSpan>& hours, DayPageTexts& texts) {
  std::vector<const std::string*> lines;
  for (const AgendaEntry& entry : content.entries) {
    if (entry.holiday) {
      texts.holidayDay = true;
      if (Trimmed(entry.text) == Trimmed(texts.saint)) continue;
      if (!texts.holiday.empty()) texts.holiday += " \xB7 ";
      texts.holiday += entry.text;
      continue;
    }
    const auto time = hours ? EntryTime(entry.text) : std::nullopt;
    if (!time || time->first < hours->first || time->first > hours->last) {
      lines.push_back(&entry.text);
      continue;
    }
    const int line = static_cast<int>(topLines) + 2 * (time->first - hours->first) +
                     (time->second >= 30 ? 1 : 0);
    auto same = std::find_if(texts.hourLines.begin(), texts.hourLines.end(),
                             [&](const auto& placed) { return placed.first == line; });
    if (same == texts.hourLines.end()) {
      texts.hourLines.emplace_back(line, entry.text);
    } else {
      same->second = Clipped(same->second + " \xB7 " + entry.text);
    }
  }
  for (auto& placed : texts.hourLines) placed.second = Clipped(std::move(placed.second));
  std::stable_sort(texts.hourLines.begin(), texts.hourLines.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  texts.holiday = Clipped(std::move(texts.holiday));
  if (topLines == 0) return;
  const std::size_t shown = lines.size() > topLines ? topLines - 1 : lines.size();
  for (std::size_t i = 0; i < shown; ++i) texts.entryLines.push_back(Clipped(*lines[i]));
  if (shown < lines.size()) {
    texts.entryLines.push_back("y " + std::to_string(lines.size() - shown) + " m\xE1s");
  }
}

}  // namespace

DayPageTexts MakeDayPageTexts(const PageDate& date, const DayPageContent& content) {
  DayPageTexts texts;
  const std::int16_t weekday = Weekday(date.year, date.month, date.day);
  const bool modern = content.style == PageStyle::kModern;
  texts.monthName = std::string(MonthNames[date.month]);
  texts.weekdayName = std::string(modern ? ModernWeekdayName(weekday) : WeekdayNames[weekday]);
  texts.dayNumber = std::to_string(date.day);
  if (date.day <= 9) {
    texts.dayNumber.insert(0, 1, '0');  // days 1 to 9 print as 01 to 09
  }
  texts.saint = std::string(modern ? ModernDayLine(date) : SaintTable(date.day, date.month));
  texts.counters = std::to_string(DayCount(date.year, date.month, date.day, kDayOfYear)) + "/" +
                   std::to_string(DayCount(date.year, date.month, date.day, kDaysLeft));
  const std::int16_t week = content.week == WeekRule::kIso
                                ? IsoWeekNumber(date.year, date.month, date.day)
                                : WeekNumber(date.year, date.month, date.day);
  texts.week = "Semana " + std::to_string(week);
  texts.year = "A\xF1o " + std::to_string(date.year);
  texts.sunday = weekday == kSunday;
  if (modern) {
    AddEntryTexts(content, ModernTopLines(content.modern.hours), content.modern.hours, texts);
    AddModernTexts(date, content, texts);
  } else {
    AddEntryTexts(content, kMaxEntryLines, std::nullopt, texts);
  }
  return texts;
}

void PreparePage(CanvasHandle canvas) {
  AttachCanvas(canvas, 0, 0);
  ClearCanvas(0xFFFFFF, 0);
}

void DrawDayPage(CanvasHandle canvas, const PageDate& date, const DayPageContent& content) {
  const DayPageTexts texts = MakeDayPageTexts(date, content);
  if (content.style == PageStyle::kModern) {
    DrawModernPage(canvas, date, content, texts);
    return;
  }
  const Color darkRed = MakeColor(139, 0, 0);

  AttachCanvas(canvas, 0, 0);
  SetPenWidth(kRuleWidth);
  const std::int32_t smallFont = NewFont(kFontFace, kSmallPoints, kFontBold);
  const std::int32_t dayFont = NewFont(kFontFace, kDayNumberPoints, kFontBold);
  const std::int32_t footerFont = NewFont(kFontFace, kFooterPoints, kFontBold);

  SetFont(smallFont);
  PrintAt(kLeftMargin, kHeaderTextY, kBlack, texts.monthName);
  Line(kLeftMargin, kRuleY, kLeftRuleEndX, kRuleY, darkRed);
  PrintAt(kWeekdayX, kHeaderTextY, kBlack, texts.weekdayName);
  Line(kRightRuleStartX, kRuleY, kRuleEndX, kRuleY, darkRed);
  PrintAt(kLeftMargin, kSaintY, darkRed, texts.saint);

  SetFont(footerFont);
  PrintAt(kCountersX, kSaintY, darkRed, texts.counters);
  PrintAt(kWeekX, kFooterY, darkRed, texts.week);
  PrintAt(kLeftMargin, kFooterY, darkRed, texts.year);

  SetPenWidth(kWritingLineWidth);
  for (int y = kFirstLineY; y <= kLastLineY; y += kLineStep) {
    Line(kLeftMargin, y, kRuleEndX, y, kBlack);
  }

  // The agenda's texts, only when there are any: the classic page draws
  // nothing more.
  if (!texts.holiday.empty() || !texts.entryLines.empty()) {
    SetFont(smallFont);
    if (!texts.holiday.empty()) PrintAt(kLeftMargin, kHolidayY, darkRed, texts.holiday);
    int lineY = kFirstLineY;
    for (const std::string& line : texts.entryLines) {
      lineY += kLineStep;
      PrintAt(kLeftMargin, lineY - kEntryRise, kBlack, line);
    }
  }

  SetFont(dayFont);
  const bool red = texts.sunday || texts.holidayDay;
  PrintAt(kDayNumberX, kDayNumberY, red ? darkRed : kBlack, texts.dayNumber);
}

}  // namespace trevalda
