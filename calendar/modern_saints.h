// The texts of the modern page: the weekday names with their accents, a
// reviewed saint of the day for every day of a leap year, and the movable
// feasts that follow Easter.
//
// The modern saint table stands beside the classic one (calendar/saints.h),
// which stays as the classic page prints it. Every text here is spelt as the
// Real Academia Española writes it (accents, gender, no trailing blanks),
// after the general Roman calendar and the Spanish santoral; where the
// classic table carried a movable feast on a fixed day, the modern one has
// that day's saint and the feast moves with Easter.
//
// Pure lookups over constant data: no state to fill, safe from any thread.
// Texts are Windows-1252 bytes (the page's own); lookups outside the bounds
// give the empty text.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "calendar/calendar.h"

namespace trevalda {

// "Lunes" ... "Domingo" with "Miércoles" and "Sábado"; weekday 1 = Monday
// ... 7 = Sunday.
std::string_view ModernWeekdayName(std::int32_t weekday);

// The reviewed saint (or fixed feast, or regional day) of `day` and `month`;
// 29 February included.
std::string_view ModernSaint(std::int32_t day, std::int32_t month);

// One feast whose date follows Easter Sunday.
struct MovableFeast {
  std::int16_t easterOffset = 0;  // days after (negative: before) Easter Sunday
  std::string_view utf8Name;      // UTF-8, as written in the source
};

// Miércoles de Ceniza, Domingo de Ramos, Jueves Santo, Domingo de
// Resurrección, Ascensión del Señor, Pentecostés and Corpus Christi, in the
// order of the year.
std::span<const MovableFeast> MovableFeasts();

// The movable feast that falls on `date` (Windows-1252); empty when none or
// when `date` is not a valid page date.
std::string_view MovableFeastOn(const PageDate& date);

// What the modern page prints under the month: the movable feast of the day
// when there is one, else the day's saint.
std::string_view ModernDayLine(const PageDate& date);

}  // namespace trevalda
