#include "calendar/holidays.h"

#include <array>

namespace trevalda {
namespace {

constexpr std::array<NationalHoliday, 10> kNationalHolidays{{
    {false, 1, 1, 0, "A\xF1o Nuevo"},
    {false, 6, 1, 0,
     "Epifan\xED"
     "a del Se\xF1or"},
    {true, 0, 0, -2, "Viernes Santo"},
    {false, 1, 5, 0, "Fiesta del Trabajo"},
    {false, 15, 8, 0, "Asunci\xF3n de la Virgen"},
    {false, 12, 10, 0,
     "Fiesta Nacional de Espa\xF1"
     "a"},
    {false, 1, 11, 0, "Todos los Santos"},
    {false, 6, 12, 0,
     "D\xED"
     "a de la Constituci\xF3n Espa\xF1ola"},
    {false, 8, 12, 0, "Inmaculada Concepci\xF3n"},
    {false, 25, 12, 0, "Natividad del Se\xF1or"},
}};

}  // namespace

// The anonymous Gregorian computus (Meeus, Jones, Butcher): the golden
// number, the century corrections for the solar and lunar equations, the
// epact and the Sunday letter, all in integer arithmetic.
PageDate EasterSunday(std::int16_t year) {
  const int a = year % 19;
  const int b = year / 100;
  const int c = year % 100;
  const int d = b / 4;
  const int e = b % 4;
  const int f = (b + 8) / 25;
  const int g = (b - f + 1) / 3;
  const int h = (19 * a + b - d - g + 15) % 30;
  const int i = c / 4;
  const int k = c % 4;
  const int l = (32 + 2 * e + 2 * i - h - k) % 7;
  const int m = (a + 11 * h + 22 * l) / 451;
  const int month = (h + l - 7 * m + 114) / 31;
  const int day = (h + l - 7 * m + 114) % 31 + 1;
  return {static_cast<std::int16_t>(day), static_cast<std::int16_t>(month), year};
}

std::span<const NationalHoliday> NationalHolidays() { return kNationalHolidays; }

PageDate HolidayDate(const NationalHoliday& holiday, std::int16_t year) {
  if (!holiday.fromEaster) return {holiday.day, holiday.month, year};
  return DateFromSerial(DaySerial(EasterSunday(year)) + holiday.easterOffset);
}

std::string_view NationalHolidayOn(const PageDate& date) {
  if (!IsValidPageDate(date)) return {};
  for (const NationalHoliday& holiday : kNationalHolidays) {
    if (HolidayDate(holiday, date.year) == date) return holiday.name;
  }
  return {};
}

}  // namespace trevalda
