#include "agenda/time_zone.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace trevalda {
namespace {

LocalDateTime At(int year, int month, int day, int hour, int minute) {
  return {{static_cast<std::int16_t>(day), static_cast<std::int16_t>(month),
           static_cast<std::int16_t>(year)},
          hour * 3600 + minute * 60};
}

std::int64_t UtcAt(int year, int month, int day, int hour, int minute) {
  return LocalSeconds(At(year, month, day, hour, minute));
}

TimeZone Zone(std::string_view name) {
  std::optional<TimeZone> zone = TimeZone::FromName(name);
  EXPECT_TRUE(zone) << name;
  return zone ? *zone : TimeZone::Utc();
}

// A wall-clock time, the instant it is (RFC 5545: a skipped time moves
// forward by the gap, a repeated one is the first), and the offset then.
struct Conversion {
  const char* zone;
  LocalDateTime local;
  std::int64_t utc;
  int offset;
  const char* what;
};

void PrintTo(const Conversion& c, std::ostream* out) { *out << c.zone << ": " << c.what; }

class ConversionTest : public ::testing::TestWithParam<Conversion> {};

TEST_P(ConversionTest, WallClockToUtcAndBack) {
  const Conversion& c = GetParam();
  const TimeZone zone = Zone(c.zone);
  EXPECT_EQ(zone.ToUtc(c.local), c.utc);
  EXPECT_EQ(zone.OffsetSecondsAt(c.utc), c.offset);
  EXPECT_EQ(LocalSeconds(zone.ToLocal(c.utc)), c.utc + c.offset);
}

constexpr int kHour = 3600;

INSTANTIATE_TEST_SUITE_P(
    Zones, ConversionTest,
    ::testing::Values(
        Conversion{"Europe/Madrid", At(2026, 1, 15, 12, 0), UtcAt(2026, 1, 15, 11, 0), kHour,
                   "winter"},
        Conversion{"Europe/Madrid", At(2026, 7, 1, 12, 0), UtcAt(2026, 7, 1, 10, 0), 2 * kHour,
                   "summer"},
        Conversion{"Europe/Madrid", At(2026, 3, 29, 2, 30), UtcAt(2026, 3, 29, 1, 30), 2 * kHour,
                   "spring gap: 02:30 is 03:30"},
        Conversion{"Europe/Madrid", At(2026, 10, 25, 2, 30), UtcAt(2026, 10, 25, 0, 30), 2 * kHour,
                   "autumn overlap: the first 02:30"},
        Conversion{"Europe/Madrid", At(2026, 10, 25, 3, 0), UtcAt(2026, 10, 25, 2, 0), kHour,
                   "after the overlap"},
        Conversion{"Europe/Madrid", At(1900, 1, 1, 0, 0), UtcAt(1900, 1, 1, 0, 14) + 44,
                   -(14 * 60 + 44), "before the first transition: local mean time"},
        Conversion{"Europe/Madrid", At(2100, 3, 28, 2, 30), UtcAt(2100, 3, 28, 1, 30), 2 * kHour,
                   "the footer's rule: a gap in 2100"},
        Conversion{"Europe/Madrid", At(2100, 10, 31, 2, 30), UtcAt(2100, 10, 31, 0, 30), 2 * kHour,
                   "the footer's rule: an overlap in 2100"},
        Conversion{"Atlantic/Canary", At(2026, 1, 15, 12, 0), UtcAt(2026, 1, 15, 12, 0), 0,
                   "winter"},
        Conversion{"Atlantic/Canary", At(2026, 7, 1, 12, 0), UtcAt(2026, 7, 1, 11, 0), kHour,
                   "summer"},
        Conversion{"Atlantic/Canary", At(2026, 3, 29, 1, 30), UtcAt(2026, 3, 29, 1, 30), kHour,
                   "spring gap at 01:00"},
        Conversion{"America/New_York", At(2026, 7, 1, 9, 0), UtcAt(2026, 7, 1, 13, 0), -4 * kHour,
                   "summer"},
        Conversion{"America/New_York", At(2026, 3, 8, 2, 30), UtcAt(2026, 3, 8, 7, 30), -4 * kHour,
                   "spring gap"},
        Conversion{"America/New_York", At(2026, 11, 1, 1, 30), UtcAt(2026, 11, 1, 5, 30),
                   -4 * kHour, "autumn overlap"},
        Conversion{"Australia/Sydney", At(2026, 1, 15, 12, 0), UtcAt(2026, 1, 15, 1, 0), 11 * kHour,
                   "southern summer"},
        Conversion{"Australia/Sydney", At(2026, 10, 4, 2, 30), UtcAt(2026, 10, 3, 16, 30),
                   11 * kHour, "spring gap in October"},
        Conversion{"Australia/Sydney", At(2026, 4, 5, 2, 30), UtcAt(2026, 4, 4, 15, 30), 11 * kHour,
                   "autumn overlap in April"},
        Conversion{"Australia/Lord_Howe", At(2026, 10, 4, 2, 15), UtcAt(2026, 10, 3, 15, 45),
                   11 * kHour, "a gap of half an hour"},
        Conversion{"Australia/Lord_Howe", At(2026, 4, 5, 1, 45), UtcAt(2026, 4, 4, 14, 45),
                   11 * kHour, "an overlap of half an hour"},
        Conversion{"UTC", At(2026, 3, 29, 2, 30), UtcAt(2026, 3, 29, 2, 30), 0, "no changes"}),
    [](const ::testing::TestParamInfo<Conversion>& param) {
      std::string name = param.param.zone;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name + "_" + std::to_string(param.index);
    });

TEST(TimeZoneTest, ZonesAskedForFromSeveralThreadsAgree) {
  const std::vector<std::string> names = {"Europe/Madrid", "Atlantic/Canary", "Asia/Tokyo",
                                          "America/Sao_Paulo"};
  const std::int64_t t = UtcAt(2026, 7, 1, 12, 0);
  std::vector<int> expected;
  for (const std::string& name : names) expected.push_back(Zone(name).OffsetSecondsAt(t));
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 50; ++round) {
        const std::size_t which = static_cast<std::size_t>(i + round) % names.size();
        const std::optional<TimeZone> zone = TimeZone::FromName(names[which]);
        if (!zone || zone->OffsetSecondsAt(t) != expected[which]) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

TEST(TimeZoneTest, InstantsOutsideTheYearsOneTo9999AreClamped) {
  const TimeZone madrid = Zone("Europe/Madrid");
  EXPECT_EQ(madrid.ToLocal(INT64_MIN).date.year, 1);
  EXPECT_EQ(madrid.ToLocal(INT64_MAX).date.year, 9999);
  EXPECT_EQ(madrid.OffsetSecondsAt(INT64_MAX), madrid.OffsetSecondsAt(UtcAt(9999, 12, 30, 0, 0)));
}

TEST(TimeZoneTest, WindowsNamesGiveTheirCldrZone) {
  const struct {
    const char* windows;
    const char* iana;
  } kNames[] = {{"Romance Standard Time", "Europe/Paris"},
                {"W. Europe Standard Time", "Europe/Berlin"},
                {"Eastern Standard Time", "America/New_York"},
                {"GMT Standard Time", "Europe/London"},
                {"UTC", "UTC"}};
  for (const auto& name : kNames) {
    const TimeZone zone = Zone(name.windows);
    EXPECT_EQ(zone.Name(), name.iana) << name.windows;
    EXPECT_EQ(zone.ToUtc(At(2026, 7, 1, 12, 0)), Zone(name.iana).ToUtc(At(2026, 7, 1, 12, 0)));
  }
  EXPECT_FALSE(IanaNameOfWindowsZone("Romance standard time"));
}

TEST(TimeZoneTest, RefusesNamesThatAreNotZones) {
  for (std::string_view name :
       {"",
        "Europe/Nowhere",
        "../../etc/passwd",
        "/etc/localtime",
        "/usr/share/zoneinfo/UTC",
        "Europe/../Europe/Madrid",
        "./Europe/Madrid",
        "Europe//Madrid",
        "Europe/Madrid/",
        "Europe",
        "right/Europe/Madrid",
        "posix/Europe/Madrid",
        "localtime",
        "posixrules",
        "zone.tab",
        "tzdata.zi",
        "Europe\\Madrid",
        "Europe/Madrid\n",
        "-Europe",
        "Europe/Madrid Europe/Paris",
        "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"}) {
    EXPECT_FALSE(TimeZone::FromName(name)) << name;
  }
  EXPECT_FALSE(TimeZone::FromName(std::string_view("Europe/Madrid\0x", 15)));
  for (std::string_view name : {"UTC", "Etc/UTC", "GMT"}) EXPECT_EQ(Zone(name).Name(), "UTC");
  EXPECT_EQ(Zone("Etc/GMT+5").OffsetSecondsAt(0), -5 * kHour);
}

// ---------------------------------------------------------------------------
// VTIMEZONE observances

ZoneObservance Observance(bool daylight, std::string_view start, std::string_view from,
                          std::string_view to, std::vector<std::string_view> rules,
                          std::vector<std::string_view> rdates = {}) {
  ZoneObservanceText text;
  text.daylight = daylight;
  text.start = start;
  text.offsetFrom = from;
  text.offsetTo = to;
  text.rules = std::move(rules);
  text.rdates = std::move(rdates);
  std::string why;
  std::optional<ZoneObservance> observance = ParseZoneObservance(text, why);
  EXPECT_TRUE(observance) << why;
  return observance ? *observance : ZoneObservance{};
}

// Both zones have the same offset every day of the years (at noon UTC) and,
// on the days around each change, every half hour; there, the
// wall-clock times (the gaps and overlaps among them) convert alike.
void ExpectSameZone(const TimeZone& a, const TimeZone& b, int firstYear, int lastYear) {
  const std::int64_t first = UtcAt(firstYear, 1, 1, 12, 0);
  const std::int64_t last = UtcAt(lastYear, 12, 31, 12, 0);
  int changes = 0;
  for (std::int64_t day = first; day < last; day += 86400) {
    ASSERT_EQ(a.OffsetSecondsAt(day), b.OffsetSecondsAt(day)) << "at " << day;
    if (b.OffsetSecondsAt(day) == b.OffsetSecondsAt(day + 86400)) continue;
    ++changes;
    for (std::int64_t t = day - 86400; t <= day + 2 * 86400; t += 1800) {
      ASSERT_EQ(a.OffsetSecondsAt(t), b.OffsetSecondsAt(t)) << "at " << t;
      ASSERT_EQ(a.ToUtc(LocalFromSeconds(t)), b.ToUtc(LocalFromSeconds(t))) << "wall clock " << t;
    }
  }
  EXPECT_EQ(changes, 2 * (lastYear - firstYear + 1));
}

TEST(ZoneObservanceTest, OutlookStyleBlocksMatchTheIanaZone) {
  // As Outlook writes "Romance Standard Time": rules from 1601 on.
  const TimeZone outlook = TimeZone::FromObservances(
      "Romance Standard Time", {Observance(false, "16010101T030000", "+0200", "+0100",
                                           {"FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10"}),
                                Observance(true, "16010101T020000", "+0100", "+0200",
                                           {"FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3"})});
  EXPECT_EQ(outlook.Name(), "Romance Standard Time");
  ExpectSameZone(outlook, Zone("Europe/Madrid"), 1996, 2030);
}

TEST(ZoneObservanceTest, AppleStyleBlocksMatchTheIanaZoneAcrossTheRuleChange) {
  // As Apple writes America/New_York: the 1987-2006 rules end with UNTIL.
  const TimeZone apple = TimeZone::FromObservances(
      "America/New_York",
      {Observance(true, "19870405T020000", "-0500", "-0400",
                  {"FREQ=YEARLY;UNTIL=20060402T070000Z;BYMONTH=4;BYDAY=1SU"}),
       Observance(false, "19671029T020000", "-0400", "-0500",
                  {"FREQ=YEARLY;UNTIL=20061029T060000Z;BYMONTH=10;BYDAY=-1SU"}),
       Observance(true, "20070311T020000", "-0500", "-0400", {"FREQ=YEARLY;BYMONTH=3;BYDAY=2SU"}),
       Observance(false, "20071104T020000", "-0400", "-0500",
                  {"FREQ=YEARLY;BYMONTH=11;BYDAY=1SU"})});
  ExpectSameZone(apple, Zone("America/New_York"), 1987, 2032);
}

TEST(ZoneObservanceTest, RdatesCountsAndTheTimeBeforeTheFirstOnset) {
  // Summer time on two explicit dates in 2026, then a rule for three years.
  const TimeZone zone = TimeZone::FromObservances(
      "Test", {Observance(true, "20260329T020000", "+0100", "+0200", {}, {"20270328T020000"}),
               Observance(false, "20261025T030000", "+0200", "+0100",
                          {"FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU;COUNT=3"})});
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2020, 7, 1, 0, 0)), kHour);  // before: the first FROM
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2026, 7, 1, 0, 0)), 2 * kHour);
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2026, 12, 1, 0, 0)), kHour);
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2027, 7, 1, 0, 0)), 2 * kHour);  // the RDATE
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2027, 10, 31, 0, 59)), 2 * kHour);
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2027, 10, 31, 1, 0)), kHour);  // the rule's second
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2030, 7, 1, 0, 0)), kHour);    // no more summers
  EXPECT_EQ(zone.ToUtc(At(2026, 3, 29, 2, 30)), UtcAt(2026, 3, 29, 1, 30));
  EXPECT_EQ(zone.ToUtc(At(2026, 10, 25, 2, 30)), UtcAt(2026, 10, 25, 0, 30));
}

TEST(ZoneObservanceTest, RulePartsBeyondMonthAndWeekday) {
  // Every second year on 1 April (by BYMONTHDAY) and on the 300th day.
  const TimeZone zone = TimeZone::FromObservances(
      "Test",
      {Observance(true, "20200401T000000", "+0000", "+0100",
                  {"FREQ=YEARLY;INTERVAL=2;BYMONTH=4;BYMONTHDAY=1"}),
       Observance(false, "20201026T000000", "+0100", "+0000", {"FREQ=YEARLY;BYYEARDAY=300"})});
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2022, 6, 1, 0, 0)), kHour);
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2023, 6, 1, 0, 0)), 0);  // not an odd year
  // Day 300 of a leap year is 26 October; its midnight is 23:00 UTC before.
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2024, 10, 25, 22, 59)), kHour);
  EXPECT_EQ(zone.OffsetSecondsAt(UtcAt(2024, 10, 25, 23, 0)), 0);
  // The last day of February, in leap years and others.
  const TimeZone february = TimeZone::FromObservances(
      "Test", {Observance(true, "20230228T000000", "+0000", "+0100",
                          {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"}),
               Observance(false, "20230301T000000", "+0100", "+0000", {"FREQ=YEARLY"})});
  EXPECT_EQ(february.OffsetSecondsAt(UtcAt(2024, 2, 28, 12, 0)), 0);
  EXPECT_EQ(february.OffsetSecondsAt(UtcAt(2024, 2, 29, 12, 0)), kHour);
}

TEST(ZoneObservanceTest, RefusesWhatItCannotFollow) {
  const struct {
    ZoneObservanceText text;
    const char* reason;
  } kCases[] = {
      {{false, "20260101T000000", "+0100", "+25", {}, {}}, "TZOFFSETTO no válido: \"+25\""},
      {{false, "20260101T000000", "+2400", "+0100", {}, {}}, "TZOFFSETFROM no válido"},
      {{false, "2026-01-01", "+0100", "+0100", {}, {}}, "DTSTART de zona no válido"},
      {{false, "20260230T000000", "+0100", "+0100", {}, {}}, "DTSTART de zona no válido"},
      {{false, "20260101T000000", "+0100", "+0100", {"FREQ=MONTHLY"}, {}},
       "RRULE de zona no admitida: \"FREQ=MONTHLY\""},
      {{false, "20260101T000000", "+0100", "+0100", {"FREQ=YEARLY;BYSETPOS=-1"}, {}},
       "RRULE de zona no admitida: \"BYSETPOS\""},
      {{false, "20260101T000000", "+0100", "+0100", {"FREQ=YEARLY;COUNT=2;UNTIL=20300101"}, {}},
       "UNTIL y COUNT"},
      {{false, "20260101T000000", "+0100", "+0100", {"FREQ=YEARLY;BYDAY=6SUN"}, {}},
       "RRULE de zona no válida"},
      {{false, "20260101T000000", "+0100", "+0100", {"FREQ=YEARLY;BYMONTH=13"}, {}},
       "RRULE de zona no válida: \"BYMONTH=13\""},
      {{false, "20260101T000000", "+0100", "+0100", {"FREQ=YEARLY;COUNT=0"}, {}},
       "RRULE de zona no válida: \"COUNT=0\""},
      {{false, "20260101T000000", "+0100", "+0100", {"BYMONTH=3"}, {}}, "sin FREQ"},
      {{false, "20260101T000000", "+0100", "+0100", {"FREQ=YEARLY;FREQ=YEARLY"}, {}},
       "\"FREQ\" repetido"},
      {{false, "20260101T000000", "+0100", "+0100", {"FREQ=YEARLY", "FREQ=YEARLY"}, {}}, "2 RRULE"},
      {{false, "20260101T000000", "+0100", "+0100", {}, {"20260101T000000,2026"}},
       "RDATE de zona no válido: \"2026\""},
      {{false, "20260101T000000", "+0100", "+0100", {"FREQ=YEARLY;X-\x1b[2J=1"}, {}},
       "\"X-\\e[2J\""},
  };
  for (const auto& c : kCases) {
    std::string why;
    EXPECT_FALSE(ParseZoneObservance(c.text, why)) << c.reason;
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
  }
}

TEST(ZoneObservanceTest, ReadsOffsetsAndUtcValues) {
  EXPECT_EQ(ParseUtcOffset("+0530"), 5 * kHour + 30 * 60);
  EXPECT_EQ(ParseUtcOffset("-0345"), -(3 * kHour + 45 * 60));
  EXPECT_EQ(ParseUtcOffset("+001530"), 15 * 60 + 30);
  for (std::string_view bad : {"", "0100", "+1", "+01:00", "+0160", "+2400", "+01000", "+0a00"}) {
    EXPECT_FALSE(ParseUtcOffset(bad)) << bad;
  }
  // A DTSTART and an RDATE in UTC are read as the wall clock of TZOFFSETFROM.
  const ZoneObservance observance =
      Observance(true, "20260329T010000Z", "+0100", "+0200", {"FREQ=YEARLY;UNTIL=20280326T010000Z"},
                 {"20300331T010000Z/PT1H"});
  EXPECT_EQ(observance.start, At(2026, 3, 29, 2, 0));
  ASSERT_EQ(observance.rdates.size(), 1u);
  EXPECT_EQ(observance.rdates[0], At(2030, 3, 31, 2, 0));
  ASSERT_TRUE(observance.rule && observance.rule->untilUtc);
  EXPECT_EQ(*observance.rule->untilUtc, UtcAt(2028, 3, 26, 1, 0));
}

// ---------------------------------------------------------------------------
// TZif data

// A version 2 TZif file: `times` with their offsets, then `footer`.
std::string Tzif(const std::vector<std::pair<std::int64_t, int>>& changes, int initial,
                 std::string_view footer) {
  const auto put = [](std::string& out, std::uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>(value >> (8 * i)));
  };
  const std::uint32_t count = static_cast<std::uint32_t>(changes.size());
  const auto header = [&](std::string& out, std::uint32_t times, std::uint32_t types) {
    out += "TZif2";
    out.append(15, '\0');
    for (std::uint32_t value : {0u, 0u, 0u, times, types, types == 0 ? 0u : 4u}) put(out, value, 4);
  };
  std::string file;
  header(file, 0, 0);  // an empty 32-bit block, as version 2+ readers skip it
  header(file, count, count + 1);
  for (const auto& change : changes) put(file, static_cast<std::uint64_t>(change.first), 8);
  for (std::uint32_t i = 1; i <= count; ++i) put(file, i, 1);
  put(file, static_cast<std::uint32_t>(initial), 4);
  put(file, 0, 2);
  for (const auto& change : changes) {
    put(file, static_cast<std::uint32_t>(change.second), 4);
    put(file, 0, 2);
  }
  file += std::string("ABC", 4);
  file.push_back('\n');
  file.append(footer);
  file.push_back('\n');
  return file;
}

TEST(TzifTest, ReadsTransitionsAndTheFooterAfterThem) {
  const std::string file =
      Tzif({{UtcAt(2000, 1, 1, 0, 0), 90 * 60}}, 0, "<+0130>-1:30<+0230>,M3.5.0/-1,J300/26");
  const std::optional<TimeZone> zone = TimeZone::FromTzif("Test/Zone", file);
  ASSERT_TRUE(zone);
  EXPECT_EQ(zone->Name(), "Test/Zone");
  EXPECT_EQ(zone->OffsetSecondsAt(UtcAt(1999, 7, 1, 0, 0)), 0);
  EXPECT_EQ(zone->OffsetSecondsAt(UtcAt(2000, 2, 1, 0, 0)), 90 * 60);  // no footer change yet
  // Summer from the last Sunday of March (26/03/2000) at -1:00, that is
  // 23:00 the day before in standard time, to day 300 of a 365-day count
  // (27 October) at 26:00, that is 02:00 the day after in summer time.
  EXPECT_EQ(zone->OffsetSecondsAt(UtcAt(2000, 3, 25, 21, 29)), 90 * 60);
  EXPECT_EQ(zone->OffsetSecondsAt(UtcAt(2000, 3, 25, 21, 30)), 150 * 60);
  EXPECT_EQ(zone->OffsetSecondsAt(UtcAt(2000, 10, 27, 23, 29)), 150 * 60);
  EXPECT_EQ(zone->OffsetSecondsAt(UtcAt(2000, 10, 27, 23, 30)), 90 * 60);
  EXPECT_EQ(zone->ToUtc(At(2500, 7, 1, 12, 0)), UtcAt(2500, 7, 1, 9, 30));
}

TEST(TzifTest, RefusesMalformedDataWithoutReadingPastIt) {
  const std::string file =
      Tzif({{0, kHour}, {kHour * 24 * 200, 0}}, 0, "CET-1CEST,M3.5.0,M10.5.0/3");
  ASSERT_TRUE(TimeZone::FromTzif("Good", file));
  for (std::size_t size = 0; size < file.size(); ++size) {
    EXPECT_FALSE(TimeZone::FromTzif("Cut", file.substr(0, size))) << size;
  }
  const auto changed = [&](std::size_t at, char value) {
    std::string bad = file;
    bad[at] = value;
    return bad;
  };
  const std::size_t second = 44;  // the 64-bit header
  EXPECT_FALSE(TimeZone::FromTzif("Magic", changed(0, 'X')));
  EXPECT_FALSE(TimeZone::FromTzif("Leap seconds", changed(second + 31, 1)));
  EXPECT_FALSE(TimeZone::FromTzif("Huge count", changed(second + 32, '\x7f')));
  EXPECT_FALSE(TimeZone::FromTzif("Type index", changed(second + 44 + 16, 9)));
  EXPECT_FALSE(TimeZone::FromTzif("Times out of order", changed(second + 44 + 8, '\x80')));
  EXPECT_FALSE(TimeZone::FromTzif("Footer", Tzif({}, 0, "CET-1CEST,M13.5.0,M10.5.0/3")));
  EXPECT_FALSE(TimeZone::FromTzif("Offset", Tzif({{0, 30 * kHour}}, 0, "")));
}

}  // namespace
}  // namespace trevalda
