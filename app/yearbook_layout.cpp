#include "app/yearbook_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "calendar/names.h"
#include "page/day_page.h"

namespace trevalda {
namespace {

// Link areas of a day page, pixels.
constexpr canvas::PixelRect kMonthNameArea{0, 0, 352, 27};
// The modern page's month name sits lower, inside its print-safe margin.
constexpr canvas::PixelRect kModernMonthNameArea{0, 0, 352, 42};
constexpr std::int32_t kFooterTop = 1075;
constexpr canvas::PixelRect kPreviousDayArea{0, kFooterTop, kPageWidth / 2, kPageHeight};
constexpr canvas::PixelRect kNextDayArea{kPageWidth / 2, kFooterTop, kPageWidth, kPageHeight};

bool WholeYear(const DateRange& range) {
  const DateRange year = YearRange(range.first.year);
  return range.first == year.first && range.last == year.last;
}

// The index sheet showing a date's month.
std::int32_t IndexSheetOf(const DateRange& range, const PageDate& date) {
  return (MonthSerial(date) - MonthSerial(range.first)) / kIndexMonths;
}

}  // namespace

std::string IndexSheetLabel(std::int32_t sheets, std::int32_t sheet) {
  return sheets > 1 ? "\xCDndice " + std::to_string(sheet + 1) : "\xCDndice";
}

void LinkDayPage(std::int32_t page, const DayPageTargets& targets, PageStyle style,
                 std::vector<canvas::PageLink>& links) {
  if (targets.index >= 0) {
    links.push_back(
        {page, style == PageStyle::kModern ? kModernMonthNameArea : kMonthNameArea, targets.index});
  }
  if (targets.previous >= 0) links.push_back({page, kPreviousDayArea, targets.previous});
  if (targets.next >= 0) links.push_back({page, kNextDayArea, targets.next});
}

std::int32_t IndexSheetCount(const DateRange& range) {
  if (RangeLength(range) < 2) return 0;
  return IndexSheetOf(range, range.last) + 1;
}

std::int32_t DayPageOf(const DateRange& range, const PageDate& date) {
  return IndexSheetCount(range) + DaySerial(date) - DaySerial(range.first);
}

std::string YearbookTitle(const DateRange& range) {
  if (WholeYear(range)) return "Agenda " + std::to_string(range.first.year);
  if (range.first == range.last) return "Agenda " + DateText(range.first);
  return "Agenda " + DateText(range.first) + " - " + DateText(range.last);
}

std::string PdfDate(std::time_t when) {
  std::tm parts{};
#if defined(_WIN32)
  gmtime_s(&parts, &when);
#else
  gmtime_r(&when, &parts);
#endif
  char text[96];
  std::snprintf(text, sizeof text, "D:%04d%02d%02d%02d%02d%02dZ", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

std::time_t CreationTime() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (end != epoch && *end == '\0' && seconds >= 0) return static_cast<std::time_t>(seconds);
  }
  return std::time(nullptr);
}

IndexMarks IndexMarksFor(const AgendaOptions& agenda) {
  IndexMarks marks;
  marks.week = agenda.week;
  if (agenda.agenda != nullptr) {
    const Agenda* source = agenda.agenda;
    marks.day = [source](const PageDate& date) {
      IndexDayMark mark;
      for (const AgendaEntry& entry : source->EntriesFor(date)) {
        (entry.holiday ? mark.holiday : mark.entries) = true;
      }
      return mark;
    };
  }
  return marks;
}

std::vector<canvas::PageLink> DrawIndexSheet(CanvasHandle canvas, const DateRange& range,
                                             std::int32_t sheet, const IndexMarks& marks,
                                             const IndexTargets& targets) {
  const std::int32_t firstMonth = MonthSerial(range.first) + sheet * kIndexMonths;
  const int months = std::min<std::int32_t>(kIndexMonths, MonthSerial(range.last) - firstMonth + 1);
  const auto year = static_cast<std::int16_t>(firstMonth / 12);
  const auto month = static_cast<std::int16_t>(firstMonth % 12 + 1);
  std::vector<canvas::PageLink> links;
  std::vector<IndexCell> monthTitles;
  for (const IndexCell& cell : DrawYearIndex(canvas, YearbookTitle(range), year, month, months,
                                             range.first, range.last, marks, &monthTitles)) {
    links.push_back({sheet,
                     {cell.left, cell.top, cell.right, cell.bottom},
                     targets.day ? targets.day(cell.date) : DayPageOf(range, cell.date)});
  }
  for (const IndexCell& cell : monthTitles) {
    const std::int32_t target = targets.month ? targets.month(cell.date) : -1;
    if (target >= 0)
      links.push_back({sheet, {cell.left, cell.top, cell.right, cell.bottom}, target});
  }
  // Several index sheets: tabs from each to the others, named after their
  // first month.
  const std::int32_t sheets = IndexSheetCount(range);
  if (sheets > 1) {
    std::vector<std::string> names;
    for (std::int32_t s = 0; s < sheets; ++s) {
      const std::int32_t start = MonthSerial(range.first) + s * kIndexMonths;
      char name[16];
      std::snprintf(name, sizeof name, "%02d/%04d", start % 12 + 1, start / 12);
      names.emplace_back(name);
    }
    const std::vector<IndexCell> tabs =
        DrawIndexTabs(canvas, names, static_cast<std::size_t>(sheet));
    for (std::size_t s = 0; s < tabs.size(); ++s) {
      if (static_cast<std::int32_t>(s) == sheet) continue;
      const IndexCell& tab = tabs[s];
      links.push_back(
          {sheet, {tab.left, tab.top, tab.right, tab.bottom}, static_cast<std::int32_t>(s)});
    }
  }
  return links;
}

canvas::DocumentLayout MakeYearbookLayout(const DateRange& range,
                                          std::vector<canvas::PageLink> indexLinks,
                                          const SheetOptions& options, std::time_t created,
                                          PageStyle style) {
  canvas::DocumentLayout layout;
  const std::int32_t indexSheets = IndexSheetCount(range);
  const std::int32_t days = RangeLength(range);
  const std::int32_t pages = indexSheets + days;
  layout.sheets = LayOutSheets(pages, options);
  layout.title = YearbookTitle(range);
  layout.creator = "Trevalda";
  layout.creationDate = PdfDate(created);

  const std::int32_t first = DaySerial(range.first);
  for (std::int32_t s = 0; s < indexSheets; ++s) {
    layout.outline.push_back(
        {indexSheets > 1 ? "\xCDndice " + std::to_string(s + 1) : "\xCDndice", s});
  }
  for (std::int32_t i = 0; i < days; ++i) {
    const PageDate date = DateFromSerial(first + i);
    if (i == 0 || date.day == 1) {
      layout.outline.push_back(
          {std::string(MonthNames[date.month]) + " " + std::to_string(date.year), indexSheets + i});
    }
  }
  layout.duplexShortEdge = options.booklet;
  if (options.booklet) return layout;

  layout.links = std::move(indexLinks);
  for (std::int32_t s = 0; s < indexSheets; ++s) {
    layout.sheetLabels.push_back(IndexSheetLabel(indexSheets, s));
  }
  for (std::int32_t i = 0; i < days; ++i) {
    const PageDate date = DateFromSerial(first + i);
    const std::int32_t page = indexSheets + i;
    layout.sheetLabels.push_back(DateText(date));
    if (indexSheets == 0) continue;
    LinkDayPage(page,
                {IndexSheetOf(range, date), i > 0 ? page - 1 : -1, i + 1 < days ? page + 1 : -1},
                style, layout.links);
  }
  return layout;
}

}  // namespace trevalda
