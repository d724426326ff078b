#include "calendar/holidays.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "calendar/calendar.h"

namespace trevalda {
namespace {

// Gauss's Easter rule with the later corrections (the lunar correction
// p = (13 + 8k) / 25 and the two exceptions for 26 and 25 April), written
// apart from the computus the calendar uses.
PageDate GaussEaster(int y) {
  const int a = y % 19;
  const int b = y % 4;
  const int c = y % 7;
  const int k = y / 100;
  const int p = (13 + 8 * k) / 25;
  const int q = k / 4;
  const int m = (15 - p + k - q) % 30;
  const int n = (4 + k - q) % 7;
  const int d = (19 * a + m) % 30;
  const int e = (2 * b + 4 * c + 6 * d + n) % 7;
  int day = 22 + d + e;  // in March
  if (d == 29 && e == 6) {
    day = 31 + 19;
  } else if (d == 28 && e == 6 && (11 * m + 11) % 30 < 19) {
    day = 31 + 18;
  }
  const auto y16 = static_cast<std::int16_t>(y);
  return day > 31 ? PageDate{static_cast<std::int16_t>(day - 31), 4, y16}
                  : PageDate{static_cast<std::int16_t>(day), 3, y16};
}

TEST(EasterTest, KnownYears) {
  const PageDate known[] = {{31, 3, 2024}, {20, 4, 2025}, {5, 4, 2026},  {28, 3, 2027},
                            {25, 4, 2038}, {22, 3, 2285}, {23, 3, 2008}, {23, 4, 2000}};
  for (const PageDate& date : known) EXPECT_EQ(EasterSunday(date.year), date) << date.year;
}

TEST(EasterTest, EveryYearAgreesWithGaussAndFallsOnASundayFrom22MarchTo25April) {
  for (int y = 1; y <= 9999; ++y) {
    const auto y16 = static_cast<std::int16_t>(y);
    const PageDate easter = EasterSunday(y16);
    ASSERT_EQ(easter, GaussEaster(y)) << y;
    ASSERT_EQ(Weekday(easter.year, easter.month, easter.day), kSunday) << y;
    const int dayOfYear = DayCount(y16, easter.month, easter.day, kDayOfYear);
    ASSERT_GE(dayOfYear, DayCount(y16, 3, 22, kDayOfYear)) << y;
    ASSERT_LE(dayOfYear, DayCount(y16, 4, 25, kDayOfYear)) << y;
  }
}

TEST(HolidaysTest, TheNationalHolidaysOf2026And2027) {
  // The official calendars: Viernes Santo on 3 April 2026 and 26 March 2027.
  const char* names2026[] = {"01/01 A\xF1o Nuevo",
                             "06/01 Epifan\xED"
                             "a del Se\xF1or",
                             "03/04 Viernes Santo",
                             "01/05 Fiesta del Trabajo",
                             "15/08 Asunci\xF3n de la Virgen",
                             "12/10 Fiesta Nacional de Espa\xF1"
                             "a",
                             "01/11 Todos los Santos",
                             "06/12 D\xED"
                             "a de la Constituci\xF3n Espa\xF1ola",
                             "08/12 Inmaculada Concepci\xF3n",
                             "25/12 Natividad del Se\xF1or"};
  for (const int y : {2026, 2027}) {
    std::vector<std::string> found;
    for (std::int32_t s = DaySerial({1, 1, static_cast<std::int16_t>(y)});; ++s) {
      const PageDate date = DateFromSerial(s);
      if (date.year != y) break;
      const std::string_view name = NationalHolidayOn(date);
      if (name.empty()) continue;
      char day[32];
      std::snprintf(day, sizeof day, "%02d/%02d ", date.day, date.month);
      found.push_back(day + std::string(name));
    }
    std::vector<std::string> expected(std::begin(names2026), std::end(names2026));
    if (y == 2027) expected[2] = "26/03 Viernes Santo";
    EXPECT_EQ(found, expected) << y;
  }
  EXPECT_EQ(NationalHolidays().size(), 10u);
  EXPECT_TRUE(NationalHolidayOn({31, 2, 2026}).empty());
}

// ISO weeks by walking the days with <chrono>: a new week starts every
// Monday, and the Monday whose Thursday falls on 1..7 January starts week 1.
TEST(IsoWeekTest, MatchesAWeekWalkOverManyYears) {
  using namespace std::chrono;
  const sys_days first = year{1999} / January / 4;  // a Monday of ISO week 1
  const sys_days last = year{2101} / December / 31;
  int week = 1;
  int checked = 0;
  for (sys_days day = first; day <= last; day += days{1}) {
    if (weekday{day} == Monday && day != first) {
      const year_month_day thursday{day + days{3}};
      week = thursday.month() == January && thursday.day() <= std::chrono::day{7} ? 1 : week + 1;
    }
    const year_month_day ymd{day};
    const auto got = IsoWeekNumber(static_cast<std::int16_t>(static_cast<int>(ymd.year())),
                                   static_cast<std::int16_t>(static_cast<unsigned>(ymd.month())),
                                   static_cast<std::int16_t>(static_cast<unsigned>(ymd.day())));
    ASSERT_EQ(got, week) << static_cast<int>(ymd.year()) << "-"
                         << static_cast<unsigned>(ymd.month()) << "-"
                         << static_cast<unsigned>(ymd.day());
    ++checked;
  }
  EXPECT_GT(checked, 37000);
  // 4 January 2027 (a Monday after a year that began on a Friday) is ISO
  // week 1 and the page's week 2.
  EXPECT_EQ(IsoWeekNumber(2027, 1, 4), 1);
  EXPECT_EQ(WeekNumber(2027, 1, 4), 2);
  EXPECT_EQ(IsoWeekNumber(1, 1, 1), 1);  // 1 January of the year 1 is a Monday
  EXPECT_EQ(IsoWeekNumber(2026, 2, 30), 0);
}

}  // namespace
}  // namespace trevalda
