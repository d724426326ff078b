#include "app/planner.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/cli_options.h"
#include "app/imposition.h"
#include "page/planner_pages.h"

namespace trevalda {
namespace {

std::map<PlannedKind, int> CountKinds(const PlannerPlan& plan) {
  std::map<PlannedKind, int> counts;
  for (const PlannedPage& page : plan.Pages()) ++counts[page.kind];
  return counts;
}

// How many pages of each kind, for whole years and ranges, by both week
// rules: a week page where a week starts (Monday, 1 January by the diary's
// rule, the range's first day), notes after each month's last day.
TEST(PlannerPlanTest, PagesOfEachKind) {
  struct Case {
    DateRange range;
    PlannerOptions options;
    WeekRule week;
    int index, months, weeks, days, notes;
  };
  const Case cases[] = {
      // 2027 starts on a Friday: week 1 is 1-3 January, then 52 Mondays.
      {YearRange(2027), {true, 2}, WeekRule::kDiary, 1, 12, 53, 365, 24},
      // ISO: the week of 1 January (week 53 of 2026) and 52 Mondays.
      {YearRange(2027), {true, 0}, WeekRule::kIso, 1, 12, 53, 365, 0},
      // 2024 starts on a Monday and is a leap year.
      {YearRange(2024), {true, 1}, WeekRule::kDiary, 1, 12, 53, 366, 12},
      // Over a year's end: 1 January 2027 (a Friday) starts a diary week only.
      {{{25, 12, 2026}, {15, 1, 2027}}, {true, 1}, WeekRule::kDiary, 1, 2, 5, 22, 2},
      {{{25, 12, 2026}, {15, 1, 2027}}, {true, 1}, WeekRule::kIso, 1, 2, 4, 22, 2},
      // Notes alone: no month or week pages.
      {{{25, 12, 2026}, {15, 1, 2027}}, {false, 3}, WeekRule::kDiary, 1, 0, 0, 22, 6},
      // One day: no index.
      {{{7, 12, 2026}, {7, 12, 2026}}, {true, 1}, WeekRule::kDiary, 0, 1, 1, 1, 1},
  };
  for (const Case& c : cases) {
    const PlannerPlan plan(c.range, c.options, c.week);
    auto counts = CountKinds(plan);
    SCOPED_TRACE(plan.Label(static_cast<std::int32_t>(plan.Pages().size()) - 1));
    EXPECT_EQ(counts[PlannedKind::kIndex], c.index);
    EXPECT_EQ(counts[PlannedKind::kMonth], c.months);
    EXPECT_EQ(counts[PlannedKind::kWeek], c.weeks);
    EXPECT_EQ(counts[PlannedKind::kDay], c.days);
    EXPECT_EQ(counts[PlannedKind::kNotes], c.notes);
  }
}

// The order around a month's start, the labels, and where dates lead.
TEST(PlannerPlanTest, OrderLabelsAndLookups) {
  const PlannerPlan plan(YearRange(2027), {true, 2}, WeekRule::kDiary);
  std::vector<std::string> labels;
  for (std::int32_t p = 0; p < 8; ++p) labels.push_back(plan.Label(p));
  EXPECT_EQ(labels, (std::vector<std::string>{"\xCDndice", "Enero 2027", "Semana 1 (2027)",
                                              "01/01/2027", "02/01/2027", "03/01/2027",
                                              "Semana 2 (2027)", "04/01/2027"}));
  // 31 January, its two notes pages, then February (1 February 2027 is a
  // Monday: the month page before the week page).
  const std::int32_t last = plan.DayPage({31, 1, 2027});
  EXPECT_EQ(plan.Label(last + 1), "Notas enero 2027");
  EXPECT_EQ(plan.Label(last + 2), "Notas enero 2027 (2)");
  EXPECT_EQ(plan.Label(last + 3), "Febrero 2027");
  EXPECT_EQ(plan.Label(last + 4), "Semana 6 (2027)");
  EXPECT_EQ(plan.DayPage({1, 2, 2027}), last + 5);
  EXPECT_EQ(plan.MonthPage({15, 2, 2027}), last + 3);
  EXPECT_EQ(plan.WeekPage({7, 2, 2027}), last + 4);
  EXPECT_EQ(plan.IndexPage({7, 2, 2027}), 0);
  EXPECT_EQ(plan.DayPage({31, 12, 2026}), -1);
  EXPECT_EQ(plan.MonthPage({1, 1, 2028}), -1);
  EXPECT_EQ(plan.Label(static_cast<std::int32_t>(plan.Pages().size()) - 1),
            "Notas diciembre 2027 (2)");
}

// Week titles by each rule at the year's edges.
TEST(PlannerPlanTest, WeekTitlesFollowTheWeekRule) {
  const DateRange range{{28, 12, 2026}, {10, 1, 2028}};
  const PlannerPlan diary(range, {true, 0}, WeekRule::kDiary);
  const PlannerPlan iso(range, {true, 0}, WeekRule::kIso);
  struct Case {
    PageDate date;
    std::string diary, iso;
  };
  const Case cases[] = {
      {{1, 1, 2027}, "Semana 1 (2027)", "Semana 53 (2026)"},
      {{4, 1, 2027}, "Semana 2 (2027)", "Semana 1 (2027)"},
      {{27, 12, 2027}, "Semana 53 (2027)", "Semana 52 (2027)"},
      {{1, 1, 2028}, "Semana 1 (2028)", "Semana 52 (2027)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(diary.Label(diary.WeekPage(c.date)), c.diary);
    EXPECT_EQ(iso.Label(iso.WeekPage(c.date)), c.iso);
  }
  // The diary's week of 1 January 2028 starts that Saturday; ISO's on the
  // Monday before, so 1 January 2028 shares a week page with 31 December.
  EXPECT_NE(diary.WeekPage({1, 1, 2028}), diary.WeekPage({31, 12, 2027}));
  EXPECT_EQ(iso.WeekPage({1, 1, 2028}), iso.WeekPage({31, 12, 2027}));
}

// Tabs: the page and its strip fit the sheet together, the strip on the
// outer side, the page no larger than without tabs.
TEST(LayOutSheetsTest, TabsStandOnTheOuterSideAndEverythingFits) {
  constexpr double kPointsPerMm = 72.0 / 25.4;
  for (const Paper paper : {Paper::kA4, Paper::kA5, Paper::kLetter, Paper::kTablet}) {
    for (const double margin : {0.0, 10.0}) {
      SheetOptions options;
      options.paper = paper;
      options.bindingMarginMm = margin;
      const PageTabs tabs{{2, 2}, kTabColumnWidth};
      const auto sheets = LayOutSheets(2, options, tabs);
      const auto plain = LayOutSheets(2, options);
      ASSERT_EQ(sheets.size(), 2u);
      for (std::size_t s = 0; s < 2; ++s) {
        ASSERT_EQ(sheets[s].pages.size(), 2u);
        const auto& page = sheets[s].pages[0];
        const auto& strip = sheets[s].pages[1];
        EXPECT_EQ(strip.page, 2);
        EXPECT_DOUBLE_EQ(strip.scale, page.scale);
        EXPECT_LE(page.scale, plain[s].pages[0].scale + 1e-9);
        const double pageRight = page.left + 794 * page.scale;
        const bool left = margin > 0 && s == 1;
        const double stripLeft = left ? page.left - kTabColumnWidth * page.scale : pageRight;
        EXPECT_NEAR(strip.left, stripLeft, 1e-6);
        const double lowest = std::min(page.left, stripLeft);
        const double highest = std::max(pageRight, stripLeft + kTabColumnWidth * page.scale);
        EXPECT_GE(lowest, (s == 0 ? margin : 0) * kPointsPerMm - 0.01);
        EXPECT_LE(highest, sheets[s].widthPoints - (s == 1 ? margin : 0) * kPointsPerMm + 0.01);
        EXPECT_LE(page.top + 1123 * page.scale, sheets[s].heightPoints + 0.01);
      }
    }
  }
}

TEST(ParseCommandLineTest, ReadsThePlannerOptions) {
  const Result<CliOptions> planner =
      ParseCommandLine({"--year", "2027", "--format", "pdf", "--planner", "--notes=31"});
  ASSERT_TRUE(planner.ok()) << planner.message();
  EXPECT_TRUE(planner->planner.planner);
  EXPECT_EQ(planner->planner.notes, 31);
  EXPECT_FALSE(ParseCommandLine({"--year", "2027", "--format", "pdf"})->planner.Any());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--year", "2027", "--planner"},
           {"--year", "2027", "--notes", "1"},
           {"--year", "2027", "--format", "pdf", "--notes", "32"},
           {"--year", "2027", "--format", "pdf", "--notes", "-1"},
           {"--year", "2027", "--format", "pdf", "--notes", "007"},
           {"--year", "2027", "--format", "pdf", "--notes", "2x"},
           {"--year", "2027", "--format", "pdf", "--notes"}}) {
    const Result<CliOptions> parsed = ParseCommandLine(args);
    EXPECT_FALSE(parsed.ok()) << args.back();
    const bool named = parsed.message().find("--notes") != std::string::npos ||
                       parsed.message().find("--planner") != std::string::npos;
    EXPECT_TRUE(named) << parsed.message();
  }
}

}  // namespace
}  // namespace trevalda
