#include "calendar/almanac.h"

#include <cmath>
#include <numbers>

namespace trevalda {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr double kDegree = std::numbers::pi / 180.0;
// J2000.0 (2000-01-01 12:00) in days since 1970-01-01 00:00.
constexpr double kJ2000UnixDays = 10957.5;
// Julian Day of 1970-01-01 00:00.
constexpr double kUnixEpochJulianDay = 2440587.5;
// The sun's centre at rising and setting: 0°50' below the horizon.
const double kSinSunAltitude = std::sin(-(50.0 / 60.0) * kDegree);

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
// days_from_civil); exact for every year an int64 day count can hold.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = FloorDiv(year, 400);
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The Gregorian year of a day count since 1970-01-01 (H. Hinnant's
// civil_from_days, year only).
std::int64_t YearFromDays(std::int64_t days) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
  return yearOfEra + era * 400 + (monthIndex >= 10 ? 1 : 0);
}

// The day count of the last Sunday of `month` (31-day months only).
std::int64_t LastSunday(std::int64_t year, int month) {
  const std::int64_t last = DaysFromCivil(year, month, 31);
  const std::int64_t weekday = (last + 4) - FloorDiv(last + 4, 7) * 7;  // 0 = Sunday
  return last - weekday;
}

bool AlmanacCovers(const PageDate& day) {
  return IsValidPageDate(day) && day.year >= kAlmanacFirstYear && day.year <= kAlmanacLastYear;
}

std::int64_t DayNumber(const PageDate& day) { return DaysFromCivil(day.year, day.month, day.day); }

// A UTC instant as a local clock time of `zone`, rounded to the minute.
struct LocalMinute {
  std::int64_t dayNumber;  // days since 1970-01-01
  int minuteOfDay;
};

LocalMinute ToLocalMinute(SpanishTime zone, double utcSeconds) {
  const int offset = UtcOffsetMinutes(zone, static_cast<std::int64_t>(std::floor(utcSeconds)));
  const auto minutes = static_cast<std::int64_t>(std::floor(utcSeconds / 60.0 + offset + 0.5));
  const std::int64_t dayNumber = FloorDiv(minutes, 1440);
  return {dayNumber, static_cast<int>(minutes - dayNumber * 1440)};
}

// ΔT = TT - UT in seconds at a decimal year, from the polynomial expressions
// of Espenak and Meeus (1900-2150; earlier years take the 1900 piece).
double DeltaTSeconds(double year) {
  if (year < 1920) {
    const double t = year - 1900;
    return -2.79 + t * (1.494119 + t * (-0.0598939 + t * (0.0061966 + t * -0.000197)));
  }
  if (year < 1941) {
    const double t = year - 1920;
    return 21.20 + t * (0.84493 + t * (-0.076100 + t * 0.0020936));
  }
  if (year < 1961) {
    const double t = year - 1950;
    return 29.07 + 0.407 * t - t * t / 233 + t * t * t / 2547;
  }
  if (year < 1986) {
    const double t = year - 1975;
    return 45.45 + 1.067 * t - t * t / 260 - t * t * t / 718;
  }
  if (year < 2005) {
    const double t = year - 2000;
    return 63.86 +
           t * (0.3345 + t * (-0.060374 + t * (0.0017275 + t * (0.000651814 + t * 0.00002373599))));
  }
  if (year < 2050) {
    const double t = year - 2000;
    return 62.92 + t * (0.32217 + t * 0.005589);
  }
  const double u = (year - 1820) / 100;
  return -20 + 32 * u * u - 0.5628 * (2150 - year);
}

// ΔT in days at an instant given in days since J2000.0.
double DeltaTDays(double daysFromJ2000) {
  return DeltaTSeconds(2000.0 + daysFromJ2000 / 365.25) / kSecondsPerDay;
}

double SinDeg(double degrees) { return std::sin(degrees * kDegree); }
double CosDeg(double degrees) { return std::cos(degrees * kDegree); }

// The angle in degrees brought into -180..180.
double Wrap180(double degrees) { return degrees - 360.0 * std::floor((degrees + 180.0) / 360.0); }

// --- The moon: Meeus, chapter 49 ---

// Phase number j counts quarters of lunations from the new moon of
// 2000-01-06 (j = 0): j mod 4 gives the phase, j / 4 is Meeus's k.
constexpr double kMeanLunation = 29.530588861;
constexpr double kFirstMeanNewMoon = 2451550.09766;  // JDE

double MeanPhaseJde(std::int64_t j) {
  return kFirstMeanNewMoon + kMeanLunation * static_cast<double>(j) / 4.0;
}

struct Term {
  double coefficient;
  int eccentricityPower;    // multiply by E^n
  int m, mPrime, f, omega;  // multiples of M, M', F and Ω in the argument
};

// Periodic terms of the new and the full moon (coefficients in days), then
// of the quarters.
constexpr Term kNewMoonTerms[] = {
    {-0.40720, 0, 0, 1, 0, 0}, {0.17241, 1, 1, 0, 0, 0},    {0.01608, 0, 0, 2, 0, 0},
    {0.01039, 0, 0, 0, 2, 0},  {0.00739, 1, -1, 1, 0, 0},   {-0.00514, 1, 1, 1, 0, 0},
    {0.00208, 2, 2, 0, 0, 0},  {-0.00111, 0, 0, 1, -2, 0},  {-0.00057, 0, 0, 1, 2, 0},
    {0.00056, 1, 1, 2, 0, 0},  {-0.00042, 0, 0, 3, 0, 0},   {0.00042, 1, 1, 0, 2, 0},
    {0.00038, 1, 1, 0, -2, 0}, {-0.00024, 1, -1, 2, 0, 0},  {-0.00017, 0, 0, 0, 0, 1},
    {-0.00007, 0, 2, 1, 0, 0}, {0.00004, 0, 0, 2, -2, 0},   {0.00004, 0, 3, 0, 0, 0},
    {0.00003, 0, 1, 1, -2, 0}, {0.00003, 0, 0, 2, 2, 0},    {-0.00003, 0, 1, 1, 2, 0},
    {0.00003, 0, -1, 1, 2, 0}, {-0.00002, 0, -1, 1, -2, 0}, {-0.00002, 0, 1, 3, 0, 0},
    {0.00002, 0, 0, 4, 0, 0},
};
constexpr Term kFullMoonTerms[] = {
    {-0.40614, 0, 0, 1, 0, 0}, {0.17302, 1, 1, 0, 0, 0},    {0.01614, 0, 0, 2, 0, 0},
    {0.01043, 0, 0, 0, 2, 0},  {0.00734, 1, -1, 1, 0, 0},   {-0.00515, 1, 1, 1, 0, 0},
    {0.00209, 2, 2, 0, 0, 0},  {-0.00111, 0, 0, 1, -2, 0},  {-0.00057, 0, 0, 1, 2, 0},
    {0.00056, 1, 1, 2, 0, 0},  {-0.00042, 0, 0, 3, 0, 0},   {0.00042, 1, 1, 0, 2, 0},
    {0.00038, 1, 1, 0, -2, 0}, {-0.00024, 1, -1, 2, 0, 0},  {-0.00017, 0, 0, 0, 0, 1},
    {-0.00007, 0, 2, 1, 0, 0}, {0.00004, 0, 0, 2, -2, 0},   {0.00004, 0, 3, 0, 0, 0},
    {0.00003, 0, 1, 1, -2, 0}, {0.00003, 0, 0, 2, 2, 0},    {-0.00003, 0, 1, 1, 2, 0},
    {0.00003, 0, -1, 1, 2, 0}, {-0.00002, 0, -1, 1, -2, 0}, {-0.00002, 0, 1, 3, 0, 0},
    {0.00002, 0, 0, 4, 0, 0},
};
constexpr Term kQuarterTerms[] = {
    {-0.62801, 0, 0, 1, 0, 0}, {0.17172, 1, 1, 0, 0, 0},    {-0.01183, 1, 1, 1, 0, 0},
    {0.00862, 0, 0, 2, 0, 0},  {0.00804, 0, 0, 0, 2, 0},    {0.00454, 1, -1, 1, 0, 0},
    {0.00204, 2, 2, 0, 0, 0},  {-0.00180, 0, 0, 1, -2, 0},  {-0.00070, 0, 0, 1, 2, 0},
    {-0.00040, 0, 0, 3, 0, 0}, {-0.00034, 1, -1, 2, 0, 0},  {0.00032, 1, 1, 0, 2, 0},
    {0.00032, 1, 1, 0, -2, 0}, {-0.00028, 2, 2, 1, 0, 0},   {0.00027, 1, 1, 2, 0, 0},
    {-0.00017, 0, 0, 0, 0, 1}, {-0.00005, 0, -1, 1, -2, 0}, {0.00004, 0, 0, 2, 2, 0},
    {-0.00004, 0, 1, 1, 2, 0}, {0.00004, 0, -2, 1, 0, 0},   {0.00003, 0, 1, 1, -2, 0},
    {0.00003, 0, 3, 0, 0, 0},  {0.00002, 0, 0, 2, -2, 0},   {0.00002, 0, -1, 1, 2, 0},
    {-0.00002, 0, 1, 3, 0, 0},
};

// Coefficients (days) and the arguments of the planetary corrections A1..A14:
// constant and rate per lunation, in degrees.
struct PlanetaryTerm {
  double coefficient, constant, rate;
};
constexpr PlanetaryTerm kPlanetaryTerms[] = {
    {0.000325, 299.77, 0.107408},  {0.000165, 251.88, 0.016321}, {0.000164, 251.83, 26.651886},
    {0.000126, 349.42, 36.412478}, {0.000110, 84.66, 18.206239}, {0.000062, 141.74, 53.303771},
    {0.000060, 207.14, 2.453732},  {0.000056, 154.84, 7.306860}, {0.000047, 34.52, 27.261239},
    {0.000042, 207.19, 0.121824},  {0.000040, 291.34, 1.844379}, {0.000037, 161.72, 24.198154},
    {0.000035, 239.56, 25.513099}, {0.000023, 331.55, 3.592518},
};

// The instant (JDE, Terrestrial Time) of phase number j.
double TruePhaseJde(std::int64_t j) {
  const double k = static_cast<double>(j) / 4.0;
  const double t = k / 1236.85;
  const double t2 = t * t;
  const double t3 = t2 * t;
  const double t4 = t3 * t;
  double jde = kFirstMeanNewMoon + kMeanLunation * k + 0.00015437 * t2 - 0.000000150 * t3 +
               0.00000000073 * t4;
  const double e = 1 - 0.002516 * t - 0.0000074 * t2;
  const double m = 2.5534 + 29.10535670 * k - 0.0000014 * t2 - 0.00000011 * t3;
  const double mPrime =
      201.5643 + 385.81693528 * k + 0.0107582 * t2 + 0.00001238 * t3 - 0.000000058 * t4;
  const double f =
      160.7108 + 390.67050284 * k - 0.0016118 * t2 - 0.00000227 * t3 + 0.000000011 * t4;
  const double omega = 124.7746 - 1.56375588 * k + 0.0020672 * t2 + 0.00000215 * t3;

  const auto phase = static_cast<int>(j - FloorDiv(j, 4) * 4);
  const std::span<const Term> terms = phase == 0   ? std::span<const Term>(kNewMoonTerms)
                                      : phase == 2 ? std::span<const Term>(kFullMoonTerms)
                                                   : std::span<const Term>(kQuarterTerms);
  for (const Term& term : terms) {
    const double factor = term.eccentricityPower == 0   ? 1.0
                          : term.eccentricityPower == 1 ? e
                                                        : e * e;
    jde += term.coefficient * factor *
           SinDeg(term.m * m + term.mPrime * mPrime + term.f * f + term.omega * omega);
  }
  if (phase == 1 || phase == 3) {
    const double w = 0.00306 - 0.00038 * e * CosDeg(m) + 0.00026 * CosDeg(mPrime) -
                     0.00002 * CosDeg(mPrime - m) + 0.00002 * CosDeg(mPrime + m) +
                     0.00002 * CosDeg(2 * f);
    jde += phase == 1 ? w : -w;
  }
  for (std::size_t i = 0; i < std::size(kPlanetaryTerms); ++i) {
    const PlanetaryTerm& term = kPlanetaryTerms[i];
    double argument = term.constant + term.rate * k;
    if (i == 0) argument -= 0.009173 * t2;
    jde += term.coefficient * SinDeg(argument);
  }
  return jde;
}

// --- The sun: Meeus, chapters 25 (position) and 12 (sidereal time) ---

struct SunPosition {
  double rightAscension;  // degrees
  double declination;     // degrees
};

// The sun's apparent geocentric place at `daysTt` days (Terrestrial Time)
// from J2000.0, within about 0.01°; `nutationLongitude` receives the
// nutation in longitude (degrees) used for the apparent sidereal time.
SunPosition SunAt(double daysTt, double* nutationLongitude, double* obliquity) {
  const double t = daysTt / 36525.0;
  const double l0 = 280.46646 + t * (36000.76983 + t * 0.0003032);
  const double m = 357.52911 + t * (35999.05029 - t * 0.0001537);
  const double center = (1.914602 - t * (0.004817 + t * 0.000014)) * SinDeg(m) +
                        (0.019993 - 0.000101 * t) * SinDeg(2 * m) + 0.000289 * SinDeg(3 * m);
  const double omega = 125.04 - 1934.136 * t;
  const double nutation = -0.00478 * SinDeg(omega);
  const double lambda = l0 + center - 0.00569 + nutation;
  const double epsilon0 =
      23.0 + 26.0 / 60.0 + (21.448 - t * (46.8150 + t * (0.00059 - t * 0.001813))) / 3600.0;
  const double epsilon = epsilon0 + 0.00256 * CosDeg(omega);
  *nutationLongitude = nutation;
  *obliquity = epsilon;
  const double sinLambda = SinDeg(lambda);
  return {std::atan2(CosDeg(epsilon) * sinLambda, CosDeg(lambda)) / kDegree,
          std::asin(SinDeg(epsilon) * sinLambda) / kDegree};
}

// The local hour angle of the sun (degrees, -180..180) and its declination
// at `utcSeconds`, at east longitude `longitude`.
struct SunAngles {
  double hourAngle;
  double declination;
};

SunAngles SunAnglesAt(double utcSeconds, double longitude) {
  const double daysUt = utcSeconds / kSecondsPerDay - kJ2000UnixDays;
  double nutation = 0;
  double obliquity = 0;
  const SunPosition sun = SunAt(daysUt + DeltaTDays(daysUt), &nutation, &obliquity);
  const double t = daysUt / 36525.0;
  const double meanSidereal =
      280.46061837 + 360.98564736629 * daysUt + t * t * (0.000387933 - t / 38710000.0);
  const double apparentSidereal = meanSidereal + nutation * CosDeg(obliquity);
  return {Wrap180(apparentSidereal + longitude - sun.rightAscension), sun.declination};
}

// The instant (UTC seconds) of sunrise (direction -1) or sunset (+1) next
// to the guess, by Newton's iteration on the hour angle; nullopt when the
// sun does not reach the altitude there, or the iteration does not settle.
std::optional<double> SunEvent(double guess, GeoPoint where, int direction) {
  const double sinLatitude = SinDeg(where.latitude);
  const double cosLatitude = CosDeg(where.latitude);
  double t = guess;
  for (int i = 0; i < 10; ++i) {
    const SunAngles sun = SunAnglesAt(t, where.longitude);
    const double denominator = cosLatitude * CosDeg(sun.declination);
    if (denominator < 1e-9) return std::nullopt;
    const double cosH0 = (kSinSunAltitude - sinLatitude * SinDeg(sun.declination)) / denominator;
    if (cosH0 < -1.0 || cosH0 > 1.0) return std::nullopt;
    const double target = direction * std::acos(cosH0) / kDegree;
    // The sun's hour angle grows by about 360° a day.
    const double step = Wrap180(target - sun.hourAngle) / 360.0 * kSecondsPerDay;
    t += step;
    if (std::fabs(step) < 0.5) return t;
  }
  return std::nullopt;
}

// The sunrise or sunset whose rounded local time falls on the day.
std::optional<int> SunEventOn(std::int64_t dayNumber, GeoPoint where, SpanishTime zone,
                              int direction) {
  // The sun crosses the meridian near 12:00 UT less 4 minutes per degree
  // east; start from the transit whose local time is nearest to local noon,
  // a quarter of a day before (rise) or after (set) it.
  const double noonUt = static_cast<double>(dayNumber * kSecondsPerDay + kSecondsPerDay / 2);
  double transit = noonUt - where.longitude * 240.0;
  const double offset = UtcOffsetMinutes(zone, static_cast<std::int64_t>(transit)) * 60.0;
  transit += kSecondsPerDay * std::round((noonUt - (transit + offset)) / kSecondsPerDay);
  double guess = transit + direction * kSecondsPerDay / 4.0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::optional<double> event = SunEvent(guess, where, direction);
    if (!event) return std::nullopt;
    const LocalMinute local = ToLocalMinute(zone, *event);
    if (local.dayNumber == dayNumber) return local.minuteOfDay;
    // The event of the neighbouring day: look one day the other way.
    guess = *event + (local.dayNumber < dayNumber ? kSecondsPerDay : -kSecondsPerDay);
  }
  return std::nullopt;
}

}  // namespace

int UtcOffsetMinutes(SpanishTime zone, std::int64_t utcSeconds) {
  const int standard = zone == SpanishTime::kPeninsula ? 60 : 0;
  const std::int64_t day = FloorDiv(utcSeconds, kSecondsPerDay);
  const std::int64_t remainder = utcSeconds % kSecondsPerDay;
  const std::int64_t secondOfDay = remainder < 0 ? remainder + kSecondsPerDay : remainder;
  const std::int64_t year = YearFromDays(day);
  // Summer time from 01:00 UTC on the last Sunday of March to 01:00 UTC on
  // the last Sunday of October.
  const std::int64_t startDay = LastSunday(year, 3);
  const std::int64_t endDay = LastSunday(year, 10);
  const bool afterStart = day > startDay || (day == startDay && secondOfDay >= 3600);
  const bool beforeEnd = day < endDay || (day == endDay && secondOfDay < 3600);
  return standard + (afterStart && beforeEnd ? 60 : 0);
}

std::optional<MoonPhaseTime> MoonPhaseOn(const PageDate& day, SpanishTime zone) {
  if (!AlmanacCovers(day)) return std::nullopt;
  const std::int64_t dayNumber = DayNumber(day);
  // Noon of the day as a Julian Ephemeris Day, near enough to choose the
  // phases worth computing: the true phase lies within a day of the mean.
  const double noonJde = kUnixEpochJulianDay + static_cast<double>(dayNumber) + 0.5;
  const auto j = static_cast<std::int64_t>(
      std::floor((noonJde - kFirstMeanNewMoon) / (kMeanLunation / 4.0) + 0.5));
  // Mean phases lie 7.4 days apart, so only the nearest one can be close.
  if (std::fabs(MeanPhaseJde(j) - noonJde) > 1.75) return std::nullopt;
  const double jde = TruePhaseJde(j);
  const double daysUt = jde - kUnixEpochJulianDay - kJ2000UnixDays;
  const double utcSeconds =
      (jde - DeltaTDays(daysUt) - kUnixEpochJulianDay) * static_cast<double>(kSecondsPerDay);
  const LocalMinute local = ToLocalMinute(zone, utcSeconds);
  if (local.dayNumber != dayNumber) return std::nullopt;
  return MoonPhaseTime{static_cast<MoonPhase>(j - FloorDiv(j, 4) * 4), local.minuteOfDay};
}

SunTimes SunTimesOn(const PageDate& day, GeoPoint where, SpanishTime zone) {
  const bool placed = std::isfinite(where.latitude) && std::isfinite(where.longitude) &&
                      std::fabs(where.latitude) <= 90.0 && std::fabs(where.longitude) <= 180.0;
  if (!AlmanacCovers(day) || !placed) return {};
  const std::int64_t dayNumber = DayNumber(day);
  return {SunEventOn(dayNumber, where, zone, -1), SunEventOn(dayNumber, where, zone, +1)};
}

}  // namespace trevalda
