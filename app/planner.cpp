#include "app/planner.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

#include "app/yearbook_layout.h"
#include "canvas/pdf_document.h"
#include "page/day_page.h"
#include "page/planner_pages.h"
#include "text/cp1252.h"
#include "text/error_text.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

PageDate LastOfMonth(const PageDate& date) {
  return {DaysInMonth(date.year, date.month), date.month, date.year};
}

// "Enero 2027".
std::string MonthTitle(const PageDate& date) {
  std::string title(PlannerMonthName(date.month));
  if (!title.empty()) title[0] = static_cast<char>(title[0] - 'a' + 'A');
  return title + " " + std::to_string(date.year);
}

std::string NotesTitle(const PageDate& date) {
  return "Notas " + std::string(PlannerMonthName(date.month)) + " " + std::to_string(date.year);
}

}  // namespace

PlannerPlan::PlannerPlan(const DateRange& range, const PlannerOptions& options, WeekRule week)
    : range_(range), week_(week), first_(DaySerial(range.first)) {
  const std::int32_t days = RangeLength(range);
  const std::int32_t indexSheets = IndexSheetCount(range);
  for (std::int32_t s = 0; s < indexSheets; ++s) {
    const std::int32_t month = MonthSerial(range.first) + s * kIndexMonths;
    pages_.push_back(
        {PlannedKind::kIndex,
         {1, static_cast<std::int16_t>(month % 12 + 1), static_cast<std::int16_t>(month / 12)},
         s});
  }
  const auto here = [this] { return static_cast<std::int32_t>(pages_.size()); };
  std::int32_t weekPage = -1;
  for (std::int32_t i = 0; i < days; ++i) {
    const PageDate date = DateFromSerial(first_ + i);
    if (options.planner && (i == 0 || date.day == 1)) {
      monthPage_.push_back(here());
      pages_.push_back({PlannedKind::kMonth, date, 0});
    } else if (i == 0 || date.day == 1) {
      monthPage_.push_back(-1);
    }
    if (options.planner && WeekStart(date) == first_ + i) {
      weekPage = here();
      pages_.push_back({PlannedKind::kWeek, date, 0});
    }
    weekPage_.push_back(weekPage);
    dayPage_.push_back(here());
    pages_.push_back({PlannedKind::kDay, date, 0});
    if (i + 1 == days || date == LastOfMonth(date)) {
      for (int n = 1; n <= options.notes; ++n) pages_.push_back({PlannedKind::kNotes, date, n});
    }
  }
}

std::int32_t PlannerPlan::DayPage(const PageDate& date) const {
  if (!IsValidPageDate(date)) return -1;
  const std::int32_t i = DaySerial(date) - first_;
  return i >= 0 && i < static_cast<std::int32_t>(dayPage_.size())
             ? dayPage_[static_cast<std::size_t>(i)]
             : -1;
}

std::int32_t PlannerPlan::WeekPage(const PageDate& date) const {
  if (!IsValidPageDate(date)) return -1;
  const std::int32_t i = DaySerial(date) - first_;
  return i >= 0 && i < static_cast<std::int32_t>(weekPage_.size())
             ? weekPage_[static_cast<std::size_t>(i)]
             : -1;
}

std::int32_t PlannerPlan::MonthPage(const PageDate& date) const {
  const std::int32_t i = MonthSerial(date) - MonthSerial(range_.first);
  return i >= 0 && i < static_cast<std::int32_t>(monthPage_.size())
             ? monthPage_[static_cast<std::size_t>(i)]
             : -1;
}

std::int32_t PlannerPlan::IndexPage(const PageDate& date) const {
  const std::int32_t sheets = IndexSheetCount(range_);
  if (sheets == 0) return -1;
  const std::int32_t sheet = (MonthSerial(date) - MonthSerial(range_.first)) / kIndexMonths;
  return std::clamp(sheet, 0, sheets - 1);
}

std::int32_t PlannerPlan::WeekStart(const PageDate& date) const {
  const std::int32_t serial = DaySerial(date);
  std::int32_t start = serial - (Weekday(date.year, date.month, date.day) - 1);
  if (week_ == WeekRule::kDiary) start = std::max(start, DaySerial({1, 1, date.year}));
  return std::max(start, first_);
}

std::string PlannerPlan::WeekTitle(const PageDate& date) const {
  std::int32_t year = date.year;
  std::int16_t number = WeekNumber(date.year, date.month, date.day);
  if (week_ == WeekRule::kIso) {
    number = IsoWeekNumber(date.year, date.month, date.day);
    if (number >= 52 && date.month == 1) --year;
    if (number == 1 && date.month == 12) ++year;
  }
  return "Semana " + std::to_string(number) + " (" + std::to_string(year) + ")";
}

std::string PlannerPlan::Label(std::int32_t page) const {
  const PlannedPage& p = pages_[static_cast<std::size_t>(page)];
  switch (p.kind) {
    case PlannedKind::kIndex:
      return IndexSheetLabel(IndexSheetCount(range_), p.number);
    case PlannedKind::kMonth:
      return MonthTitle(p.date);
    case PlannedKind::kWeek:
      return WeekTitle(p.date);
    case PlannedKind::kNotes:
      return NotesTitle(p.date) + (p.number > 1 ? " (" + std::to_string(p.number) + ")" : "");
    case PlannedKind::kDay:
      break;
  }
  return DateText(p.date);
}

namespace {

// The planner's texts of every day of the range, read from the agenda once.
class DayTexts {
 public:
  DayTexts(const PlannerPlan& plan, const AgendaOptions& agenda) : plan_(plan), agenda_(agenda) {}

  PlannerDay Of(const PageDate& date, bool shown) const {
    PlannerDay day;
    day.date = date;
    day.shown = shown && plan_.DayPage(date) >= 0;
    if (!day.shown) return day;
    for (const AgendaEntry& entry : PageContentFor(agenda_, date).entries) {
      if (!entry.holiday) {
        day.entries.push_back(entry.text);
      } else {
        if (!day.holiday.empty()) day.holiday += " \xB7 ";
        day.holiday += entry.text;
      }
    }
    return day;
  }

 private:
  const PlannerPlan& plan_;
  const AgendaOptions& agenda_;
};

MonthPageData MonthData(const PlannerPlan& plan, const DayTexts& texts, const PageDate& date) {
  MonthPageData data;
  data.year = date.year;
  data.month = date.month;
  data.week = plan.Week();
  for (std::int16_t d = 1; d <= DaysInMonth(date.year, date.month); ++d) {
    data.days.push_back(texts.Of({d, date.month, date.year}, true));
  }
  const std::int32_t first = DaySerial({1, date.month, date.year});
  data.hasPrevious = plan.MonthPage(DateFromSerial(first - 1)) >= 0;
  data.hasNext = plan.MonthPage(DateFromSerial(first + DaysInMonth(date.year, date.month))) >= 0;
  return data;
}

WeekPageData WeekData(const PlannerPlan& plan, const DayTexts& texts, const PageDate& start) {
  WeekPageData data;
  data.title = plan.WeekTitle(start);
  data.week = plan.Week();
  data.month = start;
  const std::int32_t serial = DaySerial(start);
  const std::int32_t monday = serial - (Weekday(start.year, start.month, start.day) - 1);
  for (std::int32_t d = 0; d < 7; ++d) {
    const PageDate date = DateFromSerial(monday + d);
    const bool inWeek = plan.DayPage(date) >= 0 && plan.WeekStart(date) == serial;
    data.days[static_cast<std::size_t>(d)] = texts.Of(date, inWeek);
  }
  const PageDate before = DateFromSerial(serial - 1);
  if (plan.WeekPage(before) >= 0) {
    data.previous = before;
    data.previousText = plan.WeekTitle(DateFromSerial(plan.WeekStart(before)));
  }
  for (std::int32_t s = serial + 1; s <= monday + 7; ++s) {
    const PageDate date = DateFromSerial(s);
    if (plan.WeekPage(date) >= 0 && plan.WeekStart(date) == s) {
      data.next = date;
      data.nextText = plan.WeekTitle(date);
      break;
    }
  }
  // "Semana 2 (2027)" reads "Semana 2" at the foot.
  for (std::string* text : {&data.previousText, &data.nextText}) {
    *text = text->substr(0, text->find(" ("));
  }
  return data;
}

// The page a planner link goes to; -1 when it has none.
std::int32_t TargetOf(const PlannerPlan& plan, const PlannerLink& link) {
  switch (link.target) {
    case PlannerTarget::kDay:
      return plan.DayPage(link.date);
    case PlannerTarget::kWeek:
      return plan.WeekPage(link.date);
    case PlannerTarget::kMonth:
      return plan.MonthPage(link.date);
    case PlannerTarget::kIndex:
      return plan.IndexPage(link.date);
  }
  return -1;
}

void AddLinks(const PlannerPlan& plan, std::int32_t page, const std::vector<PlannerLink>& links,
              std::vector<canvas::PageLink>& out) {
  for (const PlannerLink& link : links) {
    const std::int32_t target = TargetOf(plan, link);
    if (target >= 0) {
      out.push_back({page, {link.left, link.top, link.right, link.bottom}, target});
    }
  }
}

// Draws page `page` of the plan on the document's current page and adds its
// links.
void DrawPlannedPage(const PlannerPlan& plan, std::int32_t page, const DayTexts& texts,
                     const AgendaOptions& agenda, CanvasHandle canvas,
                     std::vector<canvas::PageLink>& links) {
  const PlannedPage& p = plan.Pages()[static_cast<std::size_t>(page)];
  switch (p.kind) {
    case PlannedKind::kIndex: {
      IndexTargets targets;
      targets.day = [&plan](const PageDate& date) { return plan.DayPage(date); };
      targets.month = [&plan](const PageDate& date) { return plan.MonthPage(date); };
      for (canvas::PageLink link :
           DrawIndexSheet(canvas, plan.Range(), p.number, IndexMarksFor(agenda), targets)) {
        link.page = page;  // tabs to other index sheets: the plan numbers them from 0 too
        if (link.target >= 0) links.push_back(link);
      }
      return;
    }
    case PlannedKind::kMonth:
      AddLinks(plan, page, DrawMonthPage(canvas, MonthData(plan, texts, p.date)), links);
      return;
    case PlannedKind::kWeek:
      AddLinks(plan, page, DrawWeekPage(canvas, WeekData(plan, texts, p.date)), links);
      return;
    case PlannedKind::kNotes: {
      // The title back to the month's page, or to the index without one.
      PlannerLink title = DrawNotesPage(canvas, plan.Label(page));
      title.date = p.date;
      if (plan.MonthPage(p.date) < 0) title.target = PlannerTarget::kIndex;
      AddLinks(plan, page, {title}, links);
      return;
    }
    case PlannedKind::kDay:
      break;
  }
  PreparePage(canvas);
  DrawDayPage(canvas, p.date, PageContentFor(agenda, p.date));
  const std::int32_t index = plan.IndexPage(p.date);
  if (index < 0) return;
  DayPageTargets targets;
  targets.index = index;
  if (!(p.date == plan.Range().first)) {
    targets.previous = plan.DayPage(DateFromSerial(DaySerial(p.date) - 1));
  }
  if (!(p.date == plan.Range().last)) {
    targets.next = plan.DayPage(DateFromSerial(DaySerial(p.date) + 1));
  }
  LinkDayPage(page, targets, agenda.style, links);
}

// The outline: the index sheets, then the months, each with its weeks
// (the days of the month in each) and its notes, each week with its days.
std::vector<canvas::OutlineItem> PlannerOutline(const PlannerPlan& plan) {
  std::vector<canvas::OutlineItem> outline;
  const auto& pages = plan.Pages();
  std::int32_t weekShown = -1;  // the week start of the last week item
  for (std::int32_t page = 0; page < static_cast<std::int32_t>(pages.size()); ++page) {
    const PlannedPage& p = pages[static_cast<std::size_t>(page)];
    switch (p.kind) {
      case PlannedKind::kIndex:
        outline.push_back({plan.Label(page), page, 0});
        break;
      case PlannedKind::kMonth:
      case PlannedKind::kWeek:
        break;  // their items come with the days
      case PlannedKind::kNotes:
        if (p.number == 1) outline.push_back({"Notas", page, 1});
        break;
      case PlannedKind::kDay: {
        const std::int32_t month = plan.MonthPage(p.date);
        if (p.date.day == 1 || p.date == plan.Range().first) {
          outline.push_back({MonthTitle(p.date), month >= 0 ? month : page, 0});
          weekShown = -1;
        }
        const std::int32_t start = plan.WeekStart(p.date);
        if (start != weekShown) {
          weekShown = start;
          const PageDate startDate = DateFromSerial(start);
          const std::int32_t week = plan.WeekPage(p.date);
          const std::string title = plan.WeekTitle(startDate);
          outline.push_back({title.substr(0, title.find(" (")), week >= 0 ? week : page, 1});
        }
        const int weekday = Weekday(p.date.year, p.date.month, p.date.day);
        outline.push_back(
            {std::string(PlannerWeekdayName(weekday)) + " " + std::to_string(p.date.day), page, 2});
        break;
      }
    }
  }
  return outline;
}

// The tab strips: one drawing per year, highlighted tab and index sheet,
// drawn after the content pages, and which one stands beside each page.
class TabStrips {
 public:
  explicit TabStrips(const PlannerPlan& plan) : plan_(plan) {}

  // Notes the strip page `page` needs.
  void Need(std::int32_t page) {
    const PlannedPage& p = plan_.Pages()[static_cast<std::size_t>(page)];
    const bool index = p.kind == PlannedKind::kIndex;
    const Key key{p.date.year, index ? 0 : p.date.month, plan_.IndexPage(p.date)};
    const auto [it, added] = strips_.emplace(key, static_cast<std::int32_t>(keys_.size()));
    if (added) keys_.push_back(key);
    stripOf_.push_back(it->second);
  }

  // Draws the strips as pages `firstPage`, `firstPage` + 1, ... of the
  // document, adding their links; false when the document failed.
  bool Draw(PdfDocument& document, std::int32_t firstPage, std::vector<canvas::PageLink>& links) {
    for (std::size_t k = 0; k < keys_.size(); ++k) {
      const auto& [year, current, index] = keys_[k];
      std::array<bool, 12> inDocument{};
      for (int m = 1; m <= 12; ++m) {
        inDocument[static_cast<std::size_t>(m - 1)] =
            plan_.MonthPage({1, static_cast<std::int16_t>(m), year}) >= 0;
      }
      std::optional<PageDate> indexOf;
      if (index >= 0) indexOf = plan_.Pages()[static_cast<std::size_t>(index)].date;
      AddLinks(plan_, firstPage + static_cast<std::int32_t>(k),
               DrawMonthTabs(document.Canvas(), year, current, inDocument, indexOf), links);
      if (!document.EndPage()) return false;
    }
    return true;
  }

  PageTabs Tabs(std::int32_t firstPage) const {
    PageTabs tabs;
    tabs.widthPixels = kTabColumnWidth;
    for (const std::int32_t strip : stripOf_) tabs.tabPage.push_back(firstPage + strip);
    return tabs;
  }

 private:
  using Key = std::tuple<std::int16_t, int, std::int32_t>;
  const PlannerPlan& plan_;
  std::map<Key, std::int32_t> strips_;
  std::vector<Key> keys_;
  std::vector<std::int32_t> stripOf_;  // by content page
};

}  // namespace

RangeOutcome CreatePlannerPdf(const DateRange& range, const std::filesystem::path& file,
                              const SheetOptions& sheets, const RangeProgress& progress,
                              const AgendaOptions& agenda, const PlannerOptions& options) {
  RangeOutcome outcome;
  outcome.document = file;
  const std::int32_t total = RangeLength(range);
  InitializeTables();
  RemoveStaleTemporaryFiles(file.parent_path());
  PdfDocument document(kPageWidth, kPageHeight);
  if (!document.Open()) {
    outcome.message = "no se pudo empezar el documento " + ShownPath(file);
    return outcome;
  }
  const PlannerPlan plan(range, options, agenda.week);
  const DayTexts texts(plan, agenda);
  const auto pages = static_cast<std::int32_t>(plan.Pages().size());
  std::vector<canvas::PageLink> links;
  TabStrips strips(plan);
  for (std::int32_t page = 0; page < pages; ++page) {
    const PlannedPage& p = plan.Pages()[static_cast<std::size_t>(page)];
    DrawPlannedPage(plan, page, texts, agenda, document.Canvas(), links);
    if (options.planner) strips.Need(page);
    if (!document.EndPage()) {
      outcome.message = "se detiene en la página " + Cp1252ToUtf8(plan.Label(page)) +
                        ": no se pudo dibujar en el documento " + ShownPath(file);
      return outcome;
    }
    if (p.kind != PlannedKind::kDay) continue;
    ++outcome.pagesDone;
    if (progress && !progress(outcome.pagesDone, total) && outcome.pagesDone < total) {
      outcome.status = RangeStatus::kStopped;
      return outcome;
    }
  }
  if (options.planner && !strips.Draw(document, pages, links)) {
    outcome.message = "no se pudieron dibujar las pestañas en el documento " + ShownPath(file);
    return outcome;
  }

  canvas::DocumentLayout layout;
  layout.sheets = LayOutSheets(pages, sheets, options.planner ? strips.Tabs(pages) : PageTabs{});
  layout.title = YearbookTitle(range);
  layout.creator = "Trevalda";
  layout.creationDate = PdfDate(CreationTime());
  layout.outline = PlannerOutline(plan);
  if (!sheets.booklet) {
    layout.links = std::move(links);
    for (std::int32_t page = 0; page < pages; ++page)
      layout.sheetLabels.push_back(plan.Label(page));
  }
  if (const SaveResult save = document.Save(file, layout); !save) {
    outcome.message = save.message();
    return outcome;
  }
  outcome.documentPages = static_cast<std::int32_t>(layout.sheets.size());
  outcome.status = RangeStatus::kDone;
  return outcome;
}

}  // namespace trevalda
