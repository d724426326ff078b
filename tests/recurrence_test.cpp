// The recurrence walk against the examples RFC 5545 gives for RRULE, and
// rule texts that are refused with their reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agenda/calendar_event.h"
#include "agenda/recurrence.h"
#include "calendar/calendar.h"

namespace trevalda {
namespace {

// "19970902T090000" (or a date) as a wall time.
WallTime Wall(const std::string& text) {
  const PageDate date{static_cast<std::int16_t>(std::stoi(text.substr(6, 2))),
                      static_cast<std::int16_t>(std::stoi(text.substr(4, 2))),
                      static_cast<std::int16_t>(std::stoi(text.substr(0, 4)))};
  const int second = text.size() > 8
                         ? std::stoi(text.substr(9, 2)) * 3600 +
                               std::stoi(text.substr(11, 2)) * 60 + std::stoi(text.substr(13, 2))
                         : 0;
  return {DaySerial(date), second};
}

std::string Text(WallTime moment) {
  const PageDate date = DateFromSerial(moment.day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d", date.year, date.month, date.day,
                moment.second / 3600, moment.second / 60 % 60);
  return text;
}

// The first `most` occurrences before 2100, with UNTIL read as a wall time.
std::vector<std::string> Walk(const std::string& start, const std::string& text, std::size_t most,
                              const std::string& skipTo = {}) {
  std::string why;
  std::optional<RecurrenceRule> rule = ParseRecurrenceRule(text, why);
  EXPECT_TRUE(rule) << text << ": " << why;
  if (!rule) return {};
  if (rule->until) rule->untilWall = Wall(*rule->until);
  RecurrenceWalk walk(*rule, Wall(start));
  if (!skipTo.empty()) walk.SkipTo(Wall(skipTo));
  std::vector<std::string> found;
  while (found.size() < most) {
    const std::optional<WallTime> next = walk.NextBefore(Wall("21000101"));
    if (!next) break;
    found.push_back(Text(*next));
  }
  return found;
}

using Moments = std::vector<std::string>;

TEST(RecurrenceTest, TheExamplesOfRfc5545) {
  struct Case {
    std::string start, rule;
    Moments first;
  };
  const Case cases[] = {
      {"19970902T090000",
       "FREQ=DAILY;COUNT=4",
       {"19970902T0900", "19970903T0900", "19970904T0900", "19970905T0900"}},
      {"19970902T090000",
       "FREQ=DAILY;INTERVAL=10;COUNT=5",
       {"19970902T0900", "19970912T0900", "19970922T0900", "19971002T0900", "19971012T0900"}},
      {"19980101T090000",
       "FREQ=YEARLY;UNTIL=20000131T140000;BYMONTH=1;BYDAY=SU,MO,TU,WE,TH,FR,SA",
       {"19980101T0900", "19980102T0900", "19980103T0900"}},
      {"19970902T090000",
       "FREQ=WEEKLY;COUNT=10;WKST=SU;BYDAY=TU,TH",
       {"19970902T0900", "19970904T0900", "19970909T0900", "19970911T0900", "19970916T0900",
        "19970918T0900", "19970923T0900", "19970925T0900", "19970930T0900", "19971002T0900"}},
      {"19970905T090000",
       "FREQ=MONTHLY;COUNT=10;BYDAY=1FR",
       {"19970905T0900", "19971003T0900", "19971107T0900", "19971205T0900", "19980102T0900",
        "19980206T0900", "19980306T0900", "19980403T0900", "19980501T0900", "19980605T0900"}},
      {"19970922T090000",
       "FREQ=MONTHLY;COUNT=6;BYDAY=-2MO",
       {"19970922T0900", "19971020T0900", "19971117T0900", "19971222T0900", "19980119T0900",
        "19980216T0900"}},
      {"19970928T090000",
       "FREQ=MONTHLY;BYMONTHDAY=-3",
       {"19970928T0900", "19971029T0900", "19971128T0900", "19971229T0900", "19980129T0900",
        "19980226T0900"}},
      {"19970902T090000",
       "FREQ=MONTHLY;INTERVAL=2;BYDAY=TU",
       {"19970902T0900", "19970909T0900", "19970916T0900", "19970923T0900", "19970930T0900",
        "19971104T0900"}},
      {"19970610T090000",
       "FREQ=YEARLY;COUNT=4;BYMONTH=6,7",
       {"19970610T0900", "19970710T0900", "19980610T0900", "19980710T0900"}},
      {"19970519T090000",
       "FREQ=YEARLY;BYDAY=20MO",
       {"19970519T0900", "19980518T0900", "19990517T0900"}},
      {"19970512T090000",
       "FREQ=YEARLY;BYWEEKNO=20;BYDAY=MO",
       {"19970512T0900", "19980511T0900", "19990517T0900"}},
      {"19970313T090000",
       "FREQ=YEARLY;BYMONTH=3;BYDAY=TH",
       {"19970313T0900", "19970320T0900", "19970327T0900", "19980305T0900"}},
      // Friday the 13th (DTSTART itself does not match and is not produced here).
      {"19970902T090000",
       "FREQ=MONTHLY;BYDAY=FR;BYMONTHDAY=13",
       {"19980213T0900", "19980313T0900", "19981113T0900", "19990813T0900", "20001013T0900"}},
      {"19970913T090000",
       "FREQ=MONTHLY;BYDAY=SA;BYMONTHDAY=7,8,9,10,11,12,13",
       {"19970913T0900", "19971011T0900", "19971108T0900", "19971213T0900"}},
      {"19961105T090000",
       "FREQ=YEARLY;INTERVAL=4;BYMONTH=11;BYDAY=TU;BYMONTHDAY=2,3,4,5,6,7,8",
       {"19961105T0900", "20001107T0900", "20041102T0900"}},
      {"19970904T090000",
       "FREQ=MONTHLY;COUNT=3;BYDAY=TU,WE,TH;BYSETPOS=3",
       {"19970904T0900", "19971007T0900", "19971106T0900"}},
      {"19970929T090000",
       "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-2",
       {"19970929T0900", "19971030T0900", "19971127T0900", "19971230T0900", "19980129T0900"}},
      {"19970902T090000",
       "FREQ=HOURLY;INTERVAL=3;UNTIL=19970902T170000",
       {"19970902T0900", "19970902T1200", "19970902T1500"}},
      {"19970902T090000",
       "FREQ=MINUTELY;INTERVAL=15;COUNT=6",
       {"19970902T0900", "19970902T0915", "19970902T0930", "19970902T0945", "19970902T1000",
        "19970902T1015"}},
      {"19970902T090000",
       "FREQ=DAILY;BYHOUR=9,10;BYMINUTE=0,20,40",
       {"19970902T0900", "19970902T0920", "19970902T0940", "19970902T1000", "19970902T1020",
        "19970902T1040", "19970903T0900"}},
      // WKST changes which days an every-other-week rule takes.
      {"19970805T090000",
       "FREQ=WEEKLY;INTERVAL=2;COUNT=4;BYDAY=TU,SU;WKST=MO",
       {"19970805T0900", "19970810T0900", "19970819T0900", "19970824T0900"}},
      {"19970805T090000",
       "FREQ=WEEKLY;INTERVAL=2;COUNT=4;BYDAY=TU,SU;WKST=SU",
       {"19970805T0900", "19970817T0900", "19970819T0900", "19970831T0900"}},
      // Days a month lacks are skipped, not moved.
      {"20070115T090000",
       "FREQ=MONTHLY;BYMONTHDAY=15,30;COUNT=5",
       {"20070115T0900", "20070130T0900", "20070215T0900", "20070315T0900", "20070330T0900"}},
      {"20240229T000000",
       "FREQ=YEARLY;COUNT=3",
       {"20240229T0000", "20280229T0000", "20320229T0000"}},
      {"20260131T100000",
       "FREQ=MONTHLY;COUNT=3",
       {"20260131T1000", "20260331T1000", "20260531T1000"}},
      {"20261231T100000",
       "FREQ=YEARLY;BYYEARDAY=-1,100;COUNT=3",
       {"20261231T1000", "20270410T1000", "20271231T1000"}},
      {"20261228T100000",
       "FREQ=YEARLY;BYWEEKNO=1;BYDAY=MO;COUNT=2",
       {"20270104T1000", "20280103T1000"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Walk(c.start, c.rule, c.first.size()), c.first) << c.start << " " << c.rule;
  }
}

TEST(RecurrenceTest, AJumpGivesWhatTheWalkGives) {
  // Without COUNT the walk jumps to the period; with COUNT it counts its way.
  struct Case {
    std::string start, rule;
  };
  const Case cases[] = {
      {"20200105T083000", "FREQ=WEEKLY;BYDAY=MO,WE"},
      {"20200131T083000", "FREQ=MONTHLY;INTERVAL=5;BYMONTHDAY=-1,15"},
      {"19990301T083000", "FREQ=YEARLY;INTERVAL=3;BYMONTH=3;BYDAY=-1SU"},
      {"20200105T083000", "FREQ=DAILY;INTERVAL=9"},
      {"20200105T083000", "FREQ=HOURLY;INTERVAL=7;BYHOUR=8,9,10"},
      {"20200105T083000", "FREQ=MONTHLY;COUNT=400;BYDAY=2TU"},
  };
  for (const Case& c : cases) {
    const Moments all = Walk(c.start, c.rule, 3000);
    Moments after;
    for (const std::string& moment : all) {
      if (moment >= "20270315T0000") after.push_back(moment);
      if (after.size() == 20) break;
    }
    EXPECT_EQ(Walk(c.start, c.rule, 20, "20270315T000000"), after) << c.rule;
  }
}

TEST(RecurrenceTest, RulesThatCannotBeWalkedSayWhy) {
  struct Case {
    std::string rule, why;
  };
  const Case cases[] = {
      {"FREQ=WEEKLY;COUNT=0", "RRULE con COUNT=0"},
      {"FREQ=WEEKLY;INTERVAL=0", "RRULE con INTERVAL=0"},
      {"FREQ=WEEKLY;COUNT=-3", "RRULE con COUNT=-3"},
      {"FREQ=FORTNIGHTLY", "RRULE con FREQ=FORTNIGHTLY desconocida"},
      {"COUNT=3", "RRULE sin FREQ"},
      {"FREQ=DAILY;COUNT=3;UNTIL=20270101", "RRULE con COUNT y UNTIL a la vez"},
      {"FREQ=MONTHLY;BYDAY=1XX", "RRULE con BYDAY=1XX no v\xE1lido"},
      {"FREQ=MONTHLY;BYMONTHDAY=32", "RRULE con BYMONTHDAY=32 fuera de rango"},
      {"FREQ=MONTHLY;BYMONTHDAY=0", "RRULE con BYMONTHDAY=0 fuera de rango"},
      {"FREQ=MONTHLY;FREQ=DAILY", "RRULE con FREQ repetido"},
      {"FREQ=MONTHLY;BYEASTER=1", "RRULE con una parte desconocida: BYEASTER"},
      {"FREQ=MONTHLY;WKST=XX", "RRULE con WKST=XX desconocido"},
      {"FREQ=MONTHLY;COUNT", "RRULE con COUNT sin valor"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_FALSE(ParseRecurrenceRule(c.rule, why)) << c.rule;
    EXPECT_EQ(why, c.why) << c.rule;
  }
  // A COUNT or INTERVAL past any reach is kept, not refused; X- parts are ignored.
  std::string why;
  EXPECT_TRUE(ParseRecurrenceRule("FREQ=DAILY;COUNT=99999999999999999999;X-NAME=1", why)) << why;
  EXPECT_EQ(Walk("20260101T090000", "freq=yearly;interval=99999999999999999999", 3),
            Moments{"20260101T0900"});
}

// ZoneClocks keeps a stretch of steady offset per zone: moments walked in
// order, back again and across the clock changes (the spring gap, the
// repeated autumn hour, a half-hour change, a zone a file describes with
// explicit dates) convert exactly as UtcKeyOf and WallOf do.
TEST(ZoneClocksTest, ConvertAsTheZoneDoes) {
  ZoneObservance summer;
  summer.daylight = true;
  summer.start = {{29, 3, 2026}, 2 * 3600};
  summer.offsetFrom = 3600;
  summer.offsetTo = 7200;
  summer.rdates = {{{28, 3, 2027}, 2 * 3600}, {{5, 4, 2027}, 0}};
  ZoneObservance winter;
  winter.start = {{25, 10, 2026}, 3 * 3600};
  winter.offsetFrom = 7200;
  winter.offsetTo = 3600;
  winter.rdates = {{{31, 10, 2027}, 3 * 3600}, {{1, 4, 2027}, 0}};
  std::vector<TimeZone> zones = {TimeZone::FromObservances("Archivo", {summer, winter}),
                                 TimeZone::Utc()};
  for (const char* name : {"Europe/Madrid", "America/New_York", "Australia/Lord_Howe"}) {
    if (const auto zone = TimeZone::FromName(name)) zones.push_back(*zone);
  }
  ASSERT_EQ(zones.size(), 5u);
  const std::int32_t first = DaySerial({1, 1, 2026});
  const std::int32_t last = DaySerial({31, 12, 2027});
  ZoneClocks clocks;  // one for all the zones, as the agenda keeps it
  for (int pass = 0; pass < 2; ++pass) {
    for (const TimeZone& zone : zones) {
      // Every 25 minutes through two years, then every 7 hours backwards.
      const std::int64_t step = pass == 0 ? 25 * 60 : -7 * 3600;
      std::int64_t at = pass == 0 ? std::int64_t{first} * 86400 : std::int64_t{last} * 86400;
      for (; at >= std::int64_t{first} * 86400 && at <= std::int64_t{last + 1} * 86400;
           at += step) {
        const WallTime wall = WallTime::FromSeconds(at);
        ASSERT_EQ(clocks.KeyOf(zone, wall), UtcKeyOf(zone, wall)) << zone.Name() << " " << at;
        ASSERT_EQ(clocks.WallOf(zone, at), WallOf(zone, at)) << zone.Name() << " " << at;
      }
    }
  }
  // At the ends of the calendar, where instants are clamped.
  for (const std::int64_t at : {std::int64_t{0}, std::int64_t{3600},
                                std::int64_t{DaySerial({31, 12, 9999})} * 86400 + 80000}) {
    const WallTime wall = WallTime::FromSeconds(at);
    EXPECT_EQ(clocks.KeyOf(zones[2], wall), UtcKeyOf(zones[2], wall));
    EXPECT_EQ(clocks.WallOf(zones[2], at), WallOf(zones[2], at));
  }
}

}  // namespace
}  // namespace trevalda
