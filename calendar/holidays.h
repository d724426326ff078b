// Easter Sunday and the national public holidays of Spain.
//
// Pure functions over the proleptic Gregorian calendar, like the rest of the
// calendar: every year 1 to 9999 has its Easter and its holidays. Names are
// Windows-1252 bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "calendar/calendar.h"

namespace trevalda {

// Easter Sunday of the Gregorian calendar for `year` (1..9999): always a
// Sunday between 22 March and 25 April. For a year outside 1..9999 the
// result is not a valid date.
PageDate EasterSunday(std::int16_t year);

// One national holiday: a fixed day of the year, or a number of days from
// Easter Sunday.
struct NationalHoliday {
  bool fromEaster = false;
  std::int16_t day = 0;           // fixed: 1..31
  std::int16_t month = 0;         // fixed: 1..12
  std::int16_t easterOffset = 0;  // from Easter: days after (negative: before) Easter Sunday
  std::string_view name;          // as printed on the page
};

// The national public holidays of Spain, in the order of the year.
std::span<const NationalHoliday> NationalHolidays();

// The date of `holiday` in `year`.
PageDate HolidayDate(const NationalHoliday& holiday, std::int16_t year);

// The name of the national holiday that falls on `date`; empty when none.
std::string_view NationalHolidayOn(const PageDate& date);

}  // namespace trevalda
