// The almanac of a day page: Spain's civil time, the places the sun is
// computed for, the principal phases of the moon and sunrise and sunset.
//
// Pure functions: no state, no files, no network; every result is computed
// from published algorithms (J. Meeus, "Astronomical Algorithms", 2nd ed.,
// 1998: the phases of the moon of chapter 49 with all their corrections, the
// sun's apparent position of chapter 25 and rising and setting after chapter
// 15; ΔT from the polynomial expressions of Espenak and Meeus, NASA "Five
// Millennium Canon of Solar Eclipses", 2006). Safe to call from any thread.
//
// Coverage: the moon and the sun are given for the days of the years 1900 to
// 2100 (kAlmanacFirstYear..kAlmanacLastYear). Within them the phase instants
// agree with an independent ephemeris within 2 minutes and sunrise and sunset
// within 1 minute. Outside them, and for a date that is not a real calendar
// day, MoonPhaseOn returns nullopt and SunTimesOn returns no times: the page
// leaves the lines out rather than print times nobody has checked.
//
// Civil time: today's rule, applied to every year. Peninsular time is UTC+1
// (CET), Canary time UTC+0 (WET); summer time (+1 hour) runs from the last
// Sunday of March at 01:00 UTC to the last Sunday of October at 01:00 UTC,
// the rule of the European Union since 1996. Earlier years get the same
// rule, not the historical clocks of Spain (other summer-time dates before
// 1996, none in many years, the peninsula on UTC before 1940).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "calendar/calendar.h"

namespace trevalda {

// The years whose moon and sun the almanac gives.
inline constexpr int kAlmanacFirstYear = 1900;
inline constexpr int kAlmanacLastYear = 2100;

// A point on the Earth in degrees: latitude north positive (-90..90),
// longitude east positive (-180..180).
struct GeoPoint {
  double latitude = 0;
  double longitude = 0;
};

// Spain's two civil times: peninsular (with the Balearic Islands, Ceuta and
// Melilla; CET/CEST) and Canary (WET/WEST).
enum class SpanishTime { kPeninsula, kCanary };

// A place the sun can be computed for.
struct Place {
  std::string name;                            // UTF-8 display name, e.g. "A Coruña"
  GeoPoint where;                              // the city centre
  SpanishTime zone = SpanishTime::kPeninsula;  // its civil time
};

// The capitals of Spain's 50 provinces plus Ceuta and Melilla, 52 places
// in alphabetical order of their display names.
std::span<const Place> SpanishCapitals();

// The capital named by `typed` (UTF-8): its display name or a common
// alternative name (La Coruña, Gerona, Lérida, Orense, Vitoria, Donostia,
// Iruña, Palma de Mallorca, Castellón, València, Alacant, Las Palmas, ...),
// compared without regard to case, accents, ñ/n, ç/c, or the spaces, hyphens
// and slashes between words. Nullopt for anything else, including text
// longer than 80 bytes or not valid UTF-8.
std::optional<Place> FindPlace(std::string_view typed);

// The offset of `zone` from UTC, in minutes, at the UTC instant `utcSeconds`
// (seconds since 1970-01-01 00:00 UTC, negative before): 60 or 120 on the
// peninsula, 0 or 60 on the Canary Islands. Defined for every instant.
int UtcOffsetMinutes(SpanishTime zone, std::int64_t utcSeconds);

enum class MoonPhase { kNew, kFirstQuarter, kFull, kLastQuarter };

// A principal phase of the moon and its local time.
struct MoonPhaseTime {
  MoonPhase phase;
  int minuteOfDay;  // local clock time rounded to the nearest minute, 0..1439
};

// The principal phase whose instant, in local time of `zone` rounded to the
// nearest minute, falls on the civil day `day`; at most one can. Nullopt on
// the other days, and for a day outside the years covered or not a real
// calendar day.
std::optional<MoonPhaseTime> MoonPhaseOn(const PageDate& day, SpanishTime zone);

// Sunrise and sunset: the instants the centre of the sun is 0°50' below the
// horizon (its upper limb on the horizon with standard refraction, seen from
// sea level), as local clock times of `zone` rounded to the nearest minute
// (0..1439). Each is the event whose rounded local time falls on `day`; a
// time is missing when the event does not happen that day (polar day or
// night), when `where` is not a finite point within the ranges above, and
// for a day outside the years covered or not a real calendar day.
struct SunTimes {
  std::optional<int> rise;
  std::optional<int> set;
};
SunTimes SunTimesOn(const PageDate& day, GeoPoint where, SpanishTime zone);

}  // namespace trevalda
