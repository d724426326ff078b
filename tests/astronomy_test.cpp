// The almanac: places, Spain's civil time, the phases of the moon, sunrise
// and sunset. The comparison with an independent ephemeris is
// almanac/oracle_check.py; these tests hold the contract's cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "calendar/almanac.h"
#include "calendar/calendar.h"

namespace trevalda {
namespace {

constexpr std::int64_t kDay = 86400;

PageDate Date(int day, int month, int year) {
  return {static_cast<std::int16_t>(day), static_cast<std::int16_t>(month),
          static_cast<std::int16_t>(year)};
}

// Every day of `year`, in order.
std::vector<PageDate> DaysOf(int year) {
  std::vector<PageDate> days;
  for (int month = 1; month <= 12; ++month) {
    const int length =
        DaysInMonth(static_cast<std::int16_t>(year), static_cast<std::int16_t>(month));
    for (int day = 1; day <= length; ++day) days.push_back(Date(day, month, year));
  }
  return days;
}

// The calendar date of a UTC instant, through the calendar module.
PageDate UtcDate(std::int64_t utcSeconds) {
  const std::int64_t days =
      utcSeconds >= 0 ? utcSeconds / kDay : -((-utcSeconds + kDay - 1) / kDay);
  return DateFromSerial(static_cast<std::int32_t>(DaySerial(Date(1, 1, 1970)) + days));
}

TEST(PlacesTest, FiftyTwoCapitalsEachFoundByItsOwnName) {
  const auto capitals = SpanishCapitals();
  ASSERT_EQ(capitals.size(), 52u);
  std::set<std::string> names;
  for (const Place& place : capitals) {
    EXPECT_TRUE(names.insert(place.name).second) << place.name;
    const auto found = FindPlace(place.name);
    ASSERT_TRUE(found) << place.name;
    EXPECT_EQ(found->name, place.name);
    EXPECT_EQ(found->where.latitude, place.where.latitude);
    EXPECT_EQ(found->where.longitude, place.where.longitude);
    // Inside Spain: the Canary Islands on their time, the rest on the
    // peninsula's.
    const bool canary = place.zone == SpanishTime::kCanary;
    EXPECT_EQ(canary,
              place.name == "Las Palmas de Gran Canaria" || place.name == "Santa Cruz de Tenerife")
        << place.name;
    if (canary) {
      EXPECT_NEAR(place.where.latitude, 28.3, 0.5) << place.name;
      EXPECT_NEAR(place.where.longitude, -15.8, 1.0) << place.name;
    } else {
      EXPECT_TRUE(place.where.latitude > 35.1 && place.where.latitude < 43.8) << place.name;
      EXPECT_TRUE(place.where.longitude > -9.3 && place.where.longitude < 3.4) << place.name;
    }
  }
}

TEST(PlacesTest, CaseAccentsSpacingAndAlternativeNames) {
  struct Case {
    const char* typed;
    const char* name;
  };
  const Case cases[] = {
      {"madrid", "Madrid"},
      {"  MADRID ", "Madrid"},
      {"Avila", "Ávila"},
      {"ÁVILA", "Ávila"},
      {"A\xCC\x81vila", "Ávila"},  // A + combining acute accent
      {"cadiz", "Cádiz"},
      {"a coruna", "A Coruña"},
      {"La Coruña", "A Coruña"},
      {"LA CORUÑA", "A Coruña"},
      {"Gerona", "Girona"},
      {"Lérida", "Lleida"},
      {"lerida", "Lleida"},
      {"Orense", "Ourense"},
      {"Vitoria", "Vitoria-Gasteiz"},
      {"vitoria gasteiz", "Vitoria-Gasteiz"},
      {"Donostia", "San Sebastián"},
      {"Donostia / San Sebastián", "San Sebastián"},
      {"Iruña", "Pamplona"},
      {"Pamplona-Iruña", "Pamplona"},
      {"Palma de Mallorca", "Palma"},
      {"Castellón", "Castellón de la Plana"},
      {"castello de la plana", "Castellón de la Plana"},
      {"València", "Valencia"},
      {"Alacant", "Alicante"},
      {"las palmas", "Las Palmas de Gran Canaria"},
      {"Santa Cruz de Tenerife", "Santa Cruz de Tenerife"},
      {"LOGROÑO", "Logroño"},
      {"Jaen", "Jaén"},
  };
  for (const Case& c : cases) {
    const auto place = FindPlace(c.typed);
    ASSERT_TRUE(place) << c.typed;
    EXPECT_EQ(place->name, c.name) << c.typed;
  }
}

TEST(PlacesTest, AnythingElseIsRefused) {
  using namespace std::string_literals;
  const std::string refused[] = {
      "",
      "   ",
      "Paris",
      "Vigo",  // a city, not a capital
      "Mad rid",
      "Madridd",
      "Madrid 2",
      "Palmas",
      "Madrid\0"s,   // a control character
      "Madr\xC3",    // cut UTF-8 sequence
      "Madr\xFFid",  // not UTF-8
      "C\xC3\x81"
      "diz\xE2\x82\xAC",  // a character outside Latin-1
      "M\xC3\x86"
      "drid",  // Æ has no base letter
      std::string(200, 'a'),
      "Madrid" + std::string(80, ' '),  // too long even though it names a capital
  };
  for (const std::string& typed : refused) EXPECT_FALSE(FindPlace(typed)) << typed;
}

TEST(CivilTimeTest, SummerTimeStartsAndEndsAtOneUtc) {
  struct Case {
    std::int64_t utc;
    int peninsula;
    int canary;
  };
  const std::int64_t start2027 = 1806195600;  // 2027-03-28 01:00 UTC
  const std::int64_t end2027 = 1824944400;    // 2027-10-31 01:00 UTC
  const std::int64_t start2024 = 1711846800;  // 2024-03-31 01:00 UTC
  const std::int64_t end2024 = 1729990800;    // 2024-10-27 01:00 UTC
  const Case cases[] = {
      {start2027 - 1, 60, 0},
      {start2027, 120, 60},
      {end2027 - 1, 120, 60},
      {end2027, 60, 0},
      {start2024 - 1, 60, 0},
      {start2024, 120, 60},
      {end2024 - 1, 120, 60},
      {end2024, 60, 0},
      {0, 60, 0},
      {-1, 60, 0},
      {-299851200, 120, 60},  // 1960-07-01, today's rule
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UtcOffsetMinutes(SpanishTime::kPeninsula, c.utc), c.peninsula) << c.utc;
    EXPECT_EQ(UtcOffsetMinutes(SpanishTime::kCanary, c.utc), c.canary) << c.utc;
  }
}

TEST(CivilTimeTest, TwoChangesAYearOnSundaysOfMarchAndOctober) {
  // Hour by hour through some years (one before 1970): exactly two
  // changes a year, each at 01:00 UTC on a Sunday, the last of its month.
  for (int year : {1968, 1996, 2000, 2024, 2027, 2030, 2100}) {
    const std::int64_t first = (DaySerial(Date(1, 1, year)) - DaySerial(Date(1, 1, 1970))) * kDay;
    const std::int64_t last = (DaySerial(Date(31, 12, year)) - DaySerial(Date(1, 1, 1970))) * kDay;
    int changes = 0;
    int previous = UtcOffsetMinutes(SpanishTime::kPeninsula, first);
    for (std::int64_t t = first + 3600; t <= last; t += 3600) {
      const int offset = UtcOffsetMinutes(SpanishTime::kPeninsula, t);
      EXPECT_EQ(UtcOffsetMinutes(SpanishTime::kCanary, t), offset - 60);
      if (offset == previous) continue;
      ++changes;
      const PageDate date = UtcDate(t);
      EXPECT_EQ((t % kDay + kDay) % kDay, 3600) << year;
      EXPECT_EQ(Weekday(date.year, date.month, date.day), kSunday) << year;
      EXPECT_EQ(date.month, offset == 120 ? 3 : 10) << year;
      EXPECT_GT(date.day + 7, DaysInMonth(date.year, date.month)) << year;
      previous = offset;
    }
    EXPECT_EQ(changes, 2) << year;
  }
}

TEST(CivilTimeTest, EveryInstantHasAnOffset) {
  for (std::int64_t t :
       {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::min() + 1,
        std::numeric_limits<std::int64_t>::max(), std::int64_t{-62135596800}}) {
    const int offset = UtcOffsetMinutes(SpanishTime::kPeninsula, t);
    EXPECT_TRUE(offset == 60 || offset == 120) << t;
  }
}

TEST(MoonTest, MeeusWorkedExample) {
  // New moon of 1977 February 18 at 3h37m42s TD (Meeus, example 49.a);
  // ΔT was 48 s, so 3h36m54s UT: 04:37 in winter on the peninsula.
  const auto peninsula = MoonPhaseOn(Date(18, 2, 1977), SpanishTime::kPeninsula);
  ASSERT_TRUE(peninsula);
  EXPECT_EQ(peninsula->phase, MoonPhase::kNew);
  EXPECT_EQ(peninsula->minuteOfDay, 4 * 60 + 37);
  const auto canary = MoonPhaseOn(Date(18, 2, 1977), SpanishTime::kCanary);
  ASSERT_TRUE(canary);
  EXPECT_EQ(canary->minuteOfDay, 3 * 60 + 37);
  EXPECT_FALSE(MoonPhaseOn(Date(17, 2, 1977), SpanishTime::kPeninsula));
  EXPECT_FALSE(MoonPhaseOn(Date(19, 2, 1977), SpanishTime::kPeninsula));
}

TEST(MoonTest, PhasesFollowEachOtherAboutAWeekApart) {
  for (int year : {1900, 1977, 2027, 2100}) {
    int count = 0;
    int lastIndex = -1;
    int lastPhase = -1;
    const auto days = DaysOf(year);
    for (int i = 0; i < static_cast<int>(days.size()); ++i) {
      const auto phase = MoonPhaseOn(days[static_cast<std::size_t>(i)], SpanishTime::kPeninsula);
      if (!phase) continue;
      ++count;
      EXPECT_GE(phase->minuteOfDay, 0);
      EXPECT_LT(phase->minuteOfDay, 1440);
      const int kind = static_cast<int>(phase->phase);
      if (lastIndex >= 0) {
        EXPECT_EQ(kind, (lastPhase + 1) % 4) << year << " day " << i;
        EXPECT_GE(i - lastIndex, 5) << year << " day " << i;
        EXPECT_LE(i - lastIndex, 9) << year << " day " << i;
      }
      lastIndex = i;
      lastPhase = kind;
    }
    EXPECT_GE(count, 48) << year;
    EXPECT_LE(count, 51) << year;
  }
}

TEST(MoonTest, CanaryTimeIsOneHourEarlier) {
  for (const PageDate& day : DaysOf(2027)) {
    const auto peninsula = MoonPhaseOn(day, SpanishTime::kPeninsula);
    if (!peninsula || peninsula->minuteOfDay < 60) continue;
    const auto canary = MoonPhaseOn(day, SpanishTime::kCanary);
    ASSERT_TRUE(canary);
    EXPECT_EQ(canary->phase, peninsula->phase);
    EXPECT_EQ(canary->minuteOfDay, peninsula->minuteOfDay - 60);
  }
}

TEST(AlmanacRangeTest, NothingOutside1900To2100OrForImpossibleDates) {
  const GeoPoint madrid = FindPlace("Madrid")->where;
  for (int year : {1, 1899, 2101, 9999}) {
    for (const PageDate& day : DaysOf(year)) {
      EXPECT_FALSE(MoonPhaseOn(day, SpanishTime::kPeninsula)) << year;
      const SunTimes sun = SunTimesOn(day, madrid, SpanishTime::kPeninsula);
      EXPECT_FALSE(sun.rise || sun.set) << year;
    }
  }
  for (const PageDate& day : {Date(0, 1, 2027), Date(29, 2, 2027), Date(32, 12, 2027),
                              Date(1, 13, 2027), Date(-1, -1, -1)}) {
    EXPECT_FALSE(MoonPhaseOn(day, SpanishTime::kPeninsula));
    const SunTimes sun = SunTimesOn(day, madrid, SpanishTime::kPeninsula);
    EXPECT_FALSE(sun.rise || sun.set);
  }
  // The first and last days covered have their sun.
  for (const PageDate& day : {Date(1, 1, 1900), Date(31, 12, 2100)}) {
    const SunTimes sun = SunTimesOn(day, madrid, SpanishTime::kPeninsula);
    EXPECT_TRUE(sun.rise && sun.set);
  }
}

TEST(SunTest, DayLengthFollowsTheSeasons) {
  const GeoPoint madrid = FindPlace("Madrid")->where;
  struct Case {
    PageDate day;
    int minLength;  // minutes from sunrise to sunset
    int maxLength;
  };
  // Madrid at 40.4° N: about 9 h 17 min at the winter solstice, 15 h 3 min
  // at the summer one, a little over 12 h at the equinoxes.
  const Case cases[] = {
      {Date(21, 12, 2027), 9 * 60 + 10, 9 * 60 + 25},
      {Date(21, 6, 2027), 14 * 60 + 55, 15 * 60 + 10},
      {Date(20, 3, 2027), 12 * 60 + 2, 12 * 60 + 16},
      {Date(23, 9, 2027), 12 * 60 + 2, 12 * 60 + 16},
  };
  for (const Case& c : cases) {
    const SunTimes sun = SunTimesOn(c.day, madrid, SpanishTime::kPeninsula);
    ASSERT_TRUE(sun.rise && sun.set);
    EXPECT_GE(*sun.set - *sun.rise, c.minLength) << c.day.day << "/" << c.day.month;
    EXPECT_LE(*sun.set - *sun.rise, c.maxLength) << c.day.day << "/" << c.day.month;
  }
  // Summer time moves the clock, not the sun: the day before and after the
  // change differ by about an hour.
  const SunTimes saturday = SunTimesOn(Date(27, 3, 2027), madrid, SpanishTime::kPeninsula);
  const SunTimes sunday = SunTimesOn(Date(28, 3, 2027), madrid, SpanishTime::kPeninsula);
  EXPECT_NEAR(*sunday.rise - *saturday.rise, 60 - 2, 2);
  EXPECT_NEAR(*sunday.set - *saturday.set, 60 + 1, 2);
}

TEST(SunTest, PolarDayAndNightHaveNoTimes) {
  struct Case {
    GeoPoint where;
    PageDate day;
    bool rises;
  };
  const Case cases[] = {
      {{80, 15}, Date(21, 6, 2027), false},   // midnight sun
      {{80, 15}, Date(21, 12, 2027), false},  // polar night
      {{-75, 0}, Date(21, 12, 2027), false},
      {{90, 0}, Date(21, 3, 2027), false},
      {{-90, 0}, Date(21, 9, 2027), false},
      {{69.6, 18.9}, Date(15, 3, 2027), true},  // Tromsø in March
      {{0, 0}, Date(15, 3, 2027), true},
      {{40, 180}, Date(1, 1, 2027), true},
      {{40, -180}, Date(1, 7, 2027), true},
  };
  for (const Case& c : cases) {
    const SunTimes sun = SunTimesOn(c.day, c.where, SpanishTime::kPeninsula);
    EXPECT_EQ(sun.rise.has_value(), c.rises) << c.where.latitude << "," << c.where.longitude;
    EXPECT_EQ(sun.set.has_value(), c.rises) << c.where.latitude << "," << c.where.longitude;
    for (const auto& time : {sun.rise, sun.set}) {
      if (time) {
        EXPECT_TRUE(*time >= 0 && *time < 1440);
      }
    }
  }
}

TEST(SunTest, PointsOutsideTheEarthHaveNoTimes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  for (const GeoPoint where : {GeoPoint{nan, 0}, GeoPoint{0, nan}, GeoPoint{infinity, 0},
                               GeoPoint{90.5, 0}, GeoPoint{0, -180.5}, GeoPoint{-1e300, 0}}) {
    const SunTimes sun = SunTimesOn(Date(1, 6, 2027), where, SpanishTime::kPeninsula);
    EXPECT_FALSE(sun.rise || sun.set) << where.latitude << "," << where.longitude;
  }
}

TEST(SunTest, EventsNearMidnightStayOnTheirDay) {
  // At 105° E on Spanish time, sunrise falls near local midnight: each day
  // shows at most its own event, and the times run on from day to day.
  const GeoPoint where{0, 105};
  int previous = -1;
  int shown = 0;
  for (const PageDate& day : DaysOf(2027)) {
    const SunTimes sun = SunTimesOn(day, where, SpanishTime::kPeninsula);
    if (sun.rise) {
      ++shown;
      if (previous >= 0) {
        // Round the clock: 23:58 to 00:01 is three minutes; summer time one hour.
        const int apart = std::abs(*sun.rise - previous);
        EXPECT_LE(std::min(apart, 1440 - apart), 65) << day.day << "/" << day.month;
      }
      previous = *sun.rise;
    }
  }
  EXPECT_GE(shown, 360);
}

}  // namespace
}  // namespace trevalda
