#include "calendar/calendar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <vector>

namespace trevalda {
namespace {

struct WorkedDate {
  int year, month, day;
  int weekday, dayOfYear, daysLeft, week;
};

TEST(CalendarTest, WorkedValues) {
  const WorkedDate cases[] = {
      {2026, 1, 1, 4, 1, 364, 1},  {2026, 1, 4, 7, 4, 361, 1},    {2026, 1, 5, 1, 5, 360, 2},
      {2026, 3, 1, 7, 60, 305, 9}, {2026, 12, 7, 1, 341, 24, 50}, {2026, 12, 31, 4, 365, 0, 53},
      {2000, 1, 1, 6, 1, 365, 1},  {2000, 2, 29, 2, 60, 306, 10}, {2000, 3, 1, 3, 61, 305, 10},
      {1900, 3, 1, 4, 60, 305, 9}, {2024, 2, 29, 4, 60, 306, 9},  {2024, 12, 31, 2, 366, 0, 53},
      {2012, 1, 1, 7, 1, 365, 1},  {2012, 1, 2, 1, 2, 364, 2},    {2012, 12, 31, 1, 366, 0, 54},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.day << "/" << c.month << "/" << c.year);
    const auto y = static_cast<std::int16_t>(c.year);
    const auto m = static_cast<std::int16_t>(c.month);
    const auto d = static_cast<std::int16_t>(c.day);
    EXPECT_EQ(Weekday(y, m, d), c.weekday);
    EXPECT_EQ(DayCount(y, m, d, kDayOfYear), c.dayOfYear);
    EXPECT_EQ(DayCount(y, m, d, kDaysLeft), c.daysLeft);
    EXPECT_EQ(WeekNumber(y, m, d), c.week);
  }
}

TEST(CalendarTest, LeapYearsFollowTheGregorianRule) {
  const std::pair<int, int> cases[] = {{1900, 28}, {2000, 29}, {2024, 29}, {2026, 28},
                                       {2100, 28}, {1600, 29}, {4, 29},    {1, 28}};
  for (const auto& [year, days] : cases) {
    EXPECT_EQ(DaysInFebruary(static_cast<std::int16_t>(year)), days) << year;
  }
}

TEST(CalendarTest, AnySelectorOtherThanOneGivesTheDayOfTheYear) {
  for (std::int32_t selector : {0, 2, -1, 1000, INT32_MIN}) {
    EXPECT_EQ(DayCount(2026, 12, 7, selector), 341) << selector;
  }
}

TEST(CalendarTest, DatesThatDoNotExistGiveZeroOrTheYearLength) {
  struct Case {
    int year, month, day, yearLength;
  };
  const Case cases[] = {{2026, 2, 29, 365}, {2026, 4, 31, 365}, {2024, 2, 30, 366},
                        {2026, 13, 1, 365}, {2026, 0, 5, 365},  {2026, 5, 0, 365},
                        {2026, 1, 32, 365}, {2024, -1, -1, 366}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.day << "/" << c.month << "/" << c.year);
    const auto y = static_cast<std::int16_t>(c.year);
    const auto m = static_cast<std::int16_t>(c.month);
    const auto d = static_cast<std::int16_t>(c.day);
    EXPECT_EQ(DayCount(y, m, d, kDayOfYear), 0);
    EXPECT_EQ(DayCount(y, m, d, kDaysLeft), c.yearLength);
    EXPECT_EQ(WeekNumber(y, m, d), 0);
  }
}

// Every date of the years 1 to 9999 against the standard library's civil
// calendar.
TEST(CalendarTest, AgreesWithTheCivilCalendarForEveryDate) {
  using namespace std::chrono;
  const sys_days first = year{1} / January / 1;
  const sys_days last = year{9999} / December / 31;
  int mismatches = 0;
  int dayOfYear = 0;
  int previousYear = 0;
  for (sys_days day = first; day <= last; day += days{1}) {
    const year_month_day ymd{day};
    const int y = static_cast<int>(ymd.year());
    if (y != previousYear) {
      previousYear = y;
      dayOfYear = 0;
    }
    ++dayOfYear;
    const int yearLength = ymd.year().is_leap() ? 366 : 365;
    const auto sy = static_cast<std::int16_t>(y);
    const auto sm = static_cast<std::int16_t>(static_cast<unsigned>(ymd.month()));
    const auto sd = static_cast<std::int16_t>(static_cast<unsigned>(ymd.day()));
    const int expectedWeekday = static_cast<int>(weekday{day}.iso_encoding());
    if (Weekday(sy, sm, sd) != expectedWeekday || DayCount(sy, sm, sd, kDayOfYear) != dayOfYear ||
        DayCount(sy, sm, sd, kDaysLeft) != yearLength - dayOfYear) {
      if (++mismatches <= 5) {
        ADD_FAILURE() << "wrong result for " << sd << "/" << sm << "/" << sy;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// The week rule written as a walk over the year: a counter of weekdays that
// starts a new week whenever it passes Sunday.
std::int16_t WalkedWeekNumber(std::int16_t year, std::int16_t month, std::int16_t day) {
  int k = Weekday(year, 1, 1);
  int week = 1;
  int result = 0;
  for (std::int16_t m = 1; m <= 12; ++m) {
    for (std::int16_t d = 1; d <= DaysInMonth(year, m); ++d) {
      if (k > 7) {
        k = 1;
        ++week;
      }
      if (m == month && d == day) {
        result = week;
      }
      ++k;
    }
  }
  return static_cast<std::int16_t>(result);
}

TEST(CalendarTest, WeekNumberMatchesTheWeekWalkOverManyYears) {
  // 2001..2028 covers every year-start weekday in both common and leap
  // years; the century years check the leap rule's exceptions.
  std::vector<int> years;
  for (int y = 2001; y <= 2028; ++y) years.push_back(y);
  for (int y : {1, 4, 100, 1600, 1700, 1900, 2000, 2100, 2400, 9999}) years.push_back(y);
  std::set<std::pair<int, bool>> starts;
  for (int y : years) {
    const auto sy = static_cast<std::int16_t>(y);
    starts.insert({Weekday(sy, 1, 1), DaysInFebruary(sy) == 29});
    for (std::int16_t m = 1; m <= 12; ++m) {
      for (std::int16_t d = 1; d <= DaysInMonth(sy, m); ++d) {
        ASSERT_EQ(WeekNumber(sy, m, d), WalkedWeekNumber(sy, m, d)) << d << "/" << m << "/" << y;
      }
    }
  }
  EXPECT_EQ(starts.size(), 14u);  // seven start days, leap and common
}

TEST(CalendarTest, LastDayIsWeek53ExceptLeapYearsStartingOnSunday) {
  for (int y = 1990; y <= 2060; ++y) {
    const auto sy = static_cast<std::int16_t>(y);
    const bool sundayLeap = Weekday(sy, 1, 1) == kSunday && DaysInFebruary(sy) == 29;
    EXPECT_EQ(WeekNumber(sy, 12, 31), sundayLeap ? 54 : 53) << y;
  }
}

TEST(CalendarTest, SerialDayNumbersCountConsecutiveDays) {
  using namespace std::chrono;
  const sys_days epoch = year{1} / January / 1;
  const sys_days last = year{9999} / December / 31;
  int mismatches = 0;
  for (sys_days day = epoch; day <= last; day += days{1}) {
    const year_month_day ymd{day};
    const PageDate date{static_cast<std::int16_t>(static_cast<unsigned>(ymd.day())),
                        static_cast<std::int16_t>(static_cast<unsigned>(ymd.month())),
                        static_cast<std::int16_t>(static_cast<int>(ymd.year()))};
    const auto serial = static_cast<std::int32_t>((day - epoch).count());
    if (DaySerial(date) != serial || DateFromSerial(serial) != date) {
      if (++mismatches <= 5) ADD_FAILURE() << date.day << "/" << date.month << "/" << date.year;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(CalendarTest, ValidPageDates) {
  const std::pair<PageDate, bool> cases[] = {
      {{7, 12, 2026}, true},   {{29, 2, 2024}, true},     {{29, 2, 2026}, false},
      {{31, 4, 2026}, false},  {{0, 5, 2026}, false},     {{7, 13, 2026}, false},
      {{7, 0, 2026}, false},   {{1, 1, 1}, true},         {{31, 12, 9999}, true},
      {{1, 1, 0}, false},      {{1, 1, 10000 - 1}, true}, {{7, 12, 26}, true},
      {{-7, 12, 2026}, false}, {{7, 12, -2026}, false},
  };
  for (const auto& [date, valid] : cases) {
    EXPECT_EQ(IsValidPageDate(date), valid) << date.day << "/" << date.month << "/" << date.year;
  }
}

}  // namespace
}  // namespace trevalda
