#include "calendar/calendar.h"

#include <array>

namespace trevalda {
namespace {

// The twelve month lengths of a year, January first.
std::array<std::int16_t, 12> MonthLengths(std::int16_t year) {
  return {31, DaysInFebruary(year), 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
}

}  // namespace

std::int16_t DaysInFebruary(std::int16_t year) {
  const bool leap = year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
  return leap ? 29 : 28;
}

std::int16_t DaysInMonth(std::int16_t year, std::int16_t month) {
  if (month < 1 || month > 12) {
    return 0;
  }
  return MonthLengths(year)[static_cast<std::size_t>(month - 1)];
}

std::int16_t Weekday(std::int16_t year, std::int16_t month, std::int16_t day) {
  // Zeller-style congruence on a year that starts in March, so that the leap
  // day falls at the end of the counting year.
  int m = month - 2;
  int y = year;
  if (m <= 0) {
    m += 12;
    y -= 1;
  }
  const int yy = y % 100;
  const int c = y / 100;
  // The sum is kept as a signed 16-bit value; for the years 0 to 9999 it lies
  // between -171 and 185, so nothing is lost.
  int w = static_cast<std::int16_t>((26 * m - 2) / 10 + day + yy + yy / 4 + c / 4 - 2 * c);
  if (w < 0) {
    w = w % 7 + 7;  // same as adding 7 until it is not negative
  }
  const int r = w % 7 + 1;  // 1 = Sunday, 2 = Monday, ..., 7 = Saturday
  return static_cast<std::int16_t>(r == 1 ? kSunday : r - 1);
}

std::int16_t DayCount(std::int16_t year, std::int16_t month, std::int16_t day,
                      std::int32_t selector) {
  const auto lengths = MonthLengths(year);
  int total = 0;
  int ordinal = 0;
  for (int i = 0; i < 12; ++i) {
    if (i + 1 == month && day >= 1 && day <= lengths[static_cast<std::size_t>(i)]) {
      ordinal = total + day;
    }
    total += lengths[static_cast<std::size_t>(i)];
  }
  return static_cast<std::int16_t>(selector == kDaysLeft ? total - ordinal : ordinal);
}

std::int16_t WeekNumber(std::int16_t year, std::int16_t month, std::int16_t day) {
  const int ordinal = DayCount(year, month, day, kDayOfYear);
  if (ordinal == 0) {
    return 0;
  }
  // Days since the Monday that starts the week of 1 January.
  const int sinceFirstMonday = Weekday(year, 1, 1) - 1 + ordinal - 1;
  return static_cast<std::int16_t>(1 + sinceFirstMonday / 7);
}

bool IsValidPageDate(const PageDate& date) {
  return date.year >= 1 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
         date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

}  // namespace trevalda
