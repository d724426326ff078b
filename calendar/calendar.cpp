#include "calendar/calendar.h"

#include <array>
#include <cstdio>

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

std::int16_t IsoWeekNumber(std::int16_t year, std::int16_t month, std::int16_t day) {
  const int ordinal = DayCount(year, month, day, kDayOfYear);
  if (ordinal == 0) {
    return 0;
  }
  // The Thursday of this day's week decides the week's year and number.
  const int thursday = ordinal - Weekday(year, month, day) + 4;
  if (thursday < 1) {
    const auto previous = static_cast<std::int16_t>(year - 1);
    return IsoWeekNumber(previous, 12, 31);
  }
  if (thursday > DayCount(year, 12, 31, kDayOfYear)) {
    return 1;
  }
  return static_cast<std::int16_t>((thursday - 1) / 7 + 1);
}

bool IsValidPageDate(const PageDate& date) {
  return date.year >= 1 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
         date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

// Serial day numbers after the usual civil-from-days arithmetic on a year
// that starts in March (so the leap day comes last), counted in 400-year
// eras of 146097 days.
std::int32_t DaySerial(const PageDate& date) {
  const int y = date.year - (date.month <= 2 ? 1 : 0);
  const int era = y / 400;  // y >= 0 for the years 1 to 9999
  const int yearOfEra = y - era * 400;
  const int shiftedMonth = date.month > 2 ? date.month - 3 : date.month + 9;
  const int dayOfYear = (153 * shiftedMonth + 2) / 5 + date.day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  // 1 January of the year 1 is day 306 of era 0 (which starts on 1 March 0).
  return era * 146097 + dayOfEra - 306;
}

PageDate DateFromSerial(std::int32_t serial) {
  const int z = serial + 306;
  const int era = z / 146097;
  const int dayOfEra = z - era * 146097;
  const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int shiftedMonth = (5 * dayOfYear + 2) / 153;
  const int day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const int month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const int year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return {static_cast<std::int16_t>(day), static_cast<std::int16_t>(month),
          static_cast<std::int16_t>(year)};
}

std::int32_t RangeLength(const DateRange& range) {
  if (!IsValidPageDate(range.first) || !IsValidPageDate(range.last)) return 0;
  const std::int32_t days = DaySerial(range.last) - DaySerial(range.first) + 1;
  return days > 0 ? days : 0;
}

DateRange YearRange(std::int16_t year) { return {{1, 1, year}, {31, 12, year}}; }

std::string DateText(const PageDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.day, date.month, date.year);
  return text;
}

std::string DateStem(const PageDate& date) {
  std::string stem = DateText(date);
  for (char& c : stem) {
    if (c == '/') c = '-';
  }
  return stem;
}

}  // namespace trevalda
