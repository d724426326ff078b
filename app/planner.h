// The planner document: a yearbook PDF with month pages, week pages and
// notes pages among its day pages, tabs to every month beside every page,
// and an outline by months, weeks and days.
//
// The pages, in order: the index sheets; then for every day of the range,
// the month page before the first day of each month (--planner), the week
// page before the first day of each week (--planner; a week starts on
// Monday, with the diary's rule also on 1 January, and at the range's
// first day), the day page, and the notes pages after the last day of each
// month (--notes). Page labels: "Índice", "Enero 2027", "Semana 1 (2027)",
// "01/01/2027", "Notas enero 2027" (then "Notas enero 2027 (2)", ...).
//
// Links (none in a booklet): the index's days and, with --planner, its
// month names; the day pages' own (month name to the index, footer to the
// previous and next days); the month and week pages' (see
// page/planner_pages.h); and with --planner a tab column on every page
// (E F M A M J J A S O N D and "Índice"). Any day is at most two taps from
// any page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/yearbook.h"

namespace trevalda {

enum class PlannedKind { kIndex, kMonth, kWeek, kDay, kNotes };

// One page of the document. `date`: the index sheet's first month (the
// 1st), the first day of the month or week in the range, the day, or the
// month's last day in the range for notes. `number`: the index sheet (0,
// 1, ...) or the notes page of its month (1 to N).
struct PlannedPage {
  PlannedKind kind = PlannedKind::kDay;
  PageDate date;
  std::int32_t number = 0;
};

// The order of a planner document's pages and where each date's pages are.
class PlannerPlan {
 public:
  PlannerPlan(const DateRange& range, const PlannerOptions& options, WeekRule week);

  const std::vector<PlannedPage>& Pages() const { return pages_; }
  const DateRange& Range() const { return range_; }
  WeekRule Week() const { return week_; }

  // Pages of `date` (-1 when it has none): its day page, the week page
  // that holds it, its month's page, the index sheet showing its month.
  std::int32_t DayPage(const PageDate& date) const;
  std::int32_t WeekPage(const PageDate& date) const;
  std::int32_t MonthPage(const PageDate& date) const;
  std::int32_t IndexPage(const PageDate& date) const;

  // The first day of the week that holds `date` (by the week rule; never
  // before the range), as a day serial.
  std::int32_t WeekStart(const PageDate& date) const;

  // "Semana 1 (2027)" for the week starting at `date`; the ISO week's own
  // year with --week iso.
  std::string WeekTitle(const PageDate& date) const;

  // The page label of page `page` (Windows-1252).
  std::string Label(std::int32_t page) const;

 private:
  DateRange range_;
  WeekRule week_;
  std::int32_t first_ = 0;  // the range's first day serial
  std::vector<PlannedPage> pages_;
  std::vector<std::int32_t> dayPage_;    // by day of the range
  std::vector<std::int32_t> weekPage_;   // by day of the range
  std::vector<std::int32_t> monthPage_;  // by month of the range
};

// Makes the planner document (CreateYearbookPdf with PlannerOptions that
// ask for anything); the same contract.
RangeOutcome CreatePlannerPdf(const DateRange& range, const std::filesystem::path& file,
                              const SheetOptions& sheets, const RangeProgress& progress,
                              const AgendaOptions& agenda, const PlannerOptions& options);

}  // namespace trevalda
