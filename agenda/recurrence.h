// Recurrence rules (RFC 5545 RRULE): reading a rule's text and walking its
// occurrences in order.
//
// Everything here is wall-clock time in the event's own frame (its zone, or
// floating): a day (DaySerial) and a second of that day. The walk knows
// nothing of zones; the caller converts each occurrence. Days that do not
// exist (30 February, the 31st of a short month) are never produced, as the
// RFC says. The walk never goes past 31/12/9999.
//
// The walk is bounded by the caller: NextBefore stops at a limit and keeps
// its place, and SkipTo jumps over whole periods when the rule has no COUNT
// (with COUNT every occurrence from the start must be counted, so it walks).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trevalda {

// A moment on the wall clock of some frame: the day (DaySerial) and the
// second of that day, 0..86399.
struct WallTime {
  std::int32_t day = 0;
  std::int32_t second = 0;

  std::int64_t Seconds() const { return std::int64_t{day} * 86400 + second; }
  static WallTime FromSeconds(std::int64_t seconds);
  friend bool operator==(const WallTime&, const WallTime&) = default;
  friend auto operator<=>(const WallTime& a, const WallTime& b) {
    return a.Seconds() <=> b.Seconds();
  }
};

enum class Frequency { kSecondly, kMinutely, kHourly, kDaily, kWeekly, kMonthly, kYearly };

struct RecurrenceRule {
  struct WeekdayNumber {
    int ordinal = 0;  // 0: every such weekday of the period; 2: the second; -1: the last
    int weekday = 1;  // 1 = Monday ... 7 = Sunday
  };
  Frequency frequency = Frequency::kYearly;
  std::int64_t interval = 1;           // periods between runs, at least 1
  std::optional<std::uint64_t> count;  // occurrences in all, at least 1
  std::optional<std::string> until;    // the UNTIL value as written, for the reader to place
  std::optional<WallTime> untilWall;   // set by the reader: the last moment allowed, inclusive
  std::vector<int> bySecond, byMinute, byHour;  // 0..59 (60 is dropped), 0..59, 0..23
  std::vector<WeekdayNumber> byDay;
  std::vector<int> byMonthDay;  // -31..-1, 1..31
  std::vector<int> byYearDay;   // -366..-1, 1..366
  std::vector<int> byWeekNo;    // -53..-1, 1..53
  std::vector<int> byMonth;     // 1..12
  std::vector<int> bySetPos;    // -366..-1, 1..366
  int weekStart = 1;            // WKST, 1 = Monday ... 7 = Sunday
};

// Reads an RRULE value ("FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10"). On failure,
// nullopt and `why` names the part, in Spanish, Windows-1252 ("RRULE con
// COUNT=0", "RRULE sin FREQ"). A COUNT or INTERVAL too large to matter is
// kept as the largest value the walk can reach.
std::optional<RecurrenceRule> ParseRecurrenceRule(std::string_view text, std::string& why);

// The occurrences of a rule from a start, in order (the start itself is
// one only when the rule produces it). Copyable: a copy goes on from the
// same place. `rule` must outlive the walk and its copies.
class RecurrenceWalk {
 public:
  RecurrenceWalk(const RecurrenceRule& rule, WallTime start);

  // The next occurrence if it comes before `limit`; else nullopt, and the
  // walk stays where it is (a later call with a later limit goes on). Also
  // nullopt once the rule has ended (Ended()).
  std::optional<WallTime> NextBefore(WallTime limit);

  // Leaves out every occurrence before `moment`. Without COUNT it jumps to
  // the period that holds `moment`; with COUNT it walks (and counts).
  void SkipTo(WallTime moment);

  bool Ended() const { return ended_; }

  // A moment no later than the next occurrence: exact when NextBefore last
  // stopped at its limit with an occurrence waiting, the start of the
  // period it stopped at otherwise; after the end, past 31/12/9999.
  WallTime NextPossible() const;

 private:
  bool FillPeriod();  // the candidates of the current period; false past the year 9999
  WallTime PeriodStart() const;
  void AdvancePeriod();
  bool DayMatches(std::int32_t serial) const;
  void CandidateDays(std::int32_t first, std::int32_t last, std::vector<std::int32_t>& days) const;
  void TimesOfPeriod(std::vector<std::int32_t>& times) const;

  const RecurrenceRule* rule_;
  WallTime start_;
  std::int64_t floor_ = 0;  // occurrences before this (wall seconds) are left out unseen
  std::uint64_t counted_ = 0;
  bool ended_ = false;
  bool filled_ = false;  // whether buffer_ holds the current period's candidates
  // The current period: its year and month (YEARLY, MONTHLY), first day
  // (WEEKLY, DAILY) or first second (HOURLY and finer).
  int year_ = 0;
  int month_ = 0;
  std::int32_t day_ = 0;
  std::int64_t second_ = 0;
  std::vector<WallTime> buffer_;  // the period's candidates not yet given
  std::size_t next_ = 0;
  std::vector<int> hours_, minutes_, seconds_;  // the times of day a daily or coarser period uses
};

}  // namespace trevalda
