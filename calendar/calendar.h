// Gregorian date arithmetic for the day page: weekday, day of the year, days
// left and the diary's own week number.
//
// Arguments and results are signed 16-bit integers, as the page date holds
// them. Every operation is pure, keeps no state and agrees with the
// proleptic Gregorian calendar for every date of the years 1 to 9999. Years
// outside that range are not meaningful here; the operations still return
// without reading or writing anything else.
#pragma once

#include <cstdint>
#include <string>

namespace trevalda {

// The date of the page: day 1..31, month 1..12, four-digit year.
struct PageDate {
  std::int16_t day = 0;
  std::int16_t month = 0;
  std::int16_t year = 0;

  friend bool operator==(const PageDate&, const PageDate&) = default;
};

// Weekday numbering: 1 = Monday ... 6 = Saturday, 7 = Sunday.
inline constexpr std::int16_t kSunday = 7;

// Selector values for DayCount.
inline constexpr std::int32_t kDayOfYear = 0;
inline constexpr std::int32_t kDaysLeft = 1;

// 29 in a leap year (divisible by 400, or by 4 and not by 100), else 28.
std::int16_t DaysInFebruary(std::int16_t year);

// Days in `month` of `year`; 0 for a month outside 1..12.
std::int16_t DaysInMonth(std::int16_t year, std::int16_t month);

// 1 = Monday ... 7 = Sunday.
std::int16_t Weekday(std::int16_t year, std::int16_t month, std::int16_t day);

// Selector 1 (kDaysLeft): the days of the year that follow this day (0 on
// 31 December). Any other selector: the ordinal day of the year, 1..366.
// For a month and day that do not occur in the year: 0, or with selector 1
// the length of the year.
std::int16_t DayCount(std::int16_t year, std::int16_t month, std::int16_t day,
                      std::int32_t selector);

// The diary's week of the year, 1..54 (not ISO 8601): week 1 runs from
// 1 January to the first Sunday, however short; every Monday starts the next
// week. 0 for a month and day that do not occur in the year.
std::int16_t WeekNumber(std::int16_t year, std::int16_t month, std::int16_t day);

// The ISO 8601 week, 1..53: weeks run Monday to Sunday and week 1 is the one
// that holds the year's first Thursday, so the first days of January may
// belong to the last week of the year before and the last days of December
// to week 1 of the next. 0 for a month and day that do not occur in the year.
std::int16_t IsoWeekNumber(std::int16_t year, std::int16_t month, std::int16_t day);

// Whether `date` names a real calendar day of the years 1 to 9999.
bool IsValidPageDate(const PageDate& date);

// Days from 1 January of the year 1 to `date` (0 for that day itself), for
// a valid date.
std::int32_t DaySerial(const PageDate& date);

// The date `serial` days after 1 January of the year 1; serial must lie
// between DaySerial of 1/1/1 and of 31/12/9999.
PageDate DateFromSerial(std::int32_t serial);

// Months from January of the year 0 to `date`'s month: consecutive months
// have consecutive numbers.
inline std::int32_t MonthSerial(const PageDate& date) { return date.year * 12 + (date.month - 1); }

// Every day from `first` to `last`, both included.
struct DateRange {
  PageDate first;
  PageDate last;
};

// Days in the range, both ends included; 0 when `last` comes before `first`
// or either date is not valid.
std::int32_t RangeLength(const DateRange& range);

// The whole year: 1 January to 31 December.
DateRange YearRange(std::int16_t year);

// A date as the program writes it for people, "dd/mm/aaaa" (07/12/2026),
// the form the date picker shows: day and month in two digits, the year in
// four (each field as it is, even when the date is not valid).
std::string DateText(const PageDate& date);

// A date as a file name stem, "dd-mm-aaaa" (07-12-2026).
std::string DateStem(const PageDate& date);

}  // namespace trevalda
