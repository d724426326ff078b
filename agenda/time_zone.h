// Time zones: the offset from UTC of a place at any instant, and the
// conversion of wall-clock times to and from UTC.
//
// A zone comes from one of three sources:
//   - an IANA name ("Europe/Madrid", "Atlantic/Canary"): the tz database of
//     the platform build. On Linux the system's zoneinfo (TZif files under
//     /usr/share/zoneinfo, read when the zone is asked for); on Windows the
//     same files, compiled into the program from the build machine's tzdata.
//     Both go through one reader, so both give the same results;
//   - a Windows zone name ("Romance Standard Time"), through the CLDR
//     windowsZones mapping (territory 001) to its IANA zone;
//   - the STANDARD and DAYLIGHT blocks of an iCalendar VTIMEZONE.
//
// Units: instants are seconds since 1970-01-01 00:00:00 UTC (negative
// before), leap seconds not counted; offsets are seconds east of UTC
// (Madrid in winter: +3600). Instants are clamped to the years 1 to 9999, so
// no input makes a conversion loop or overflow.
//
// A TimeZone is a small immutable value: copy it freely and use it from
// several threads at once. Nothing here throws except std::bad_alloc.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calendar/calendar.h"

namespace trevalda {

// A wall-clock time in some zone: a date and the seconds since its midnight
// (0..86399).
struct LocalDateTime {
  PageDate date;
  int secondOfDay = 0;

  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// One weekday of a BYDAY list: "SU" (every Sunday), "2SU" (the second),
// "-1SU" (the last) of the month, or of the year when the rule names no month.
struct ZoneWeekday {
  int ordinal = 0;  // 0: every one; 1..53 from the start, -1..-53 from the end
  int weekday = 7;  // 1 = Monday ... 7 = Sunday, as calendar.h counts
};

// The RRULE of an observance: FREQ=YEARLY with INTERVAL, BYMONTH, BYDAY
// (ordinals too), BYMONTHDAY (negative counts from the month's end),
// BYYEARDAY, UNTIL and COUNT. Without BYDAY, BYMONTHDAY and BYYEARDAY it
// repeats DTSTART's day of the month, in DTSTART's month unless BYMONTH
// names others.
struct ZoneRule {
  int interval = 1;                      // years between repetitions, 1..
  std::vector<int> months;               // BYMONTH, 1..12
  std::vector<ZoneWeekday> weekdays;     // BYDAY
  std::vector<int> monthDays;            // BYMONTHDAY, -31..-1 and 1..31
  std::vector<int> yearDays;             // BYYEARDAY, -366..-1 and 1..366
  std::optional<std::int64_t> untilUtc;  // UNTIL: no onset after this instant
  int count = 0;                         // COUNT (DTSTART is the first); 0: no limit
};

// One STANDARD or DAYLIGHT block of a VTIMEZONE: from each onset on, the
// zone's offset is `offsetTo`. Onsets are DTSTART, the repetitions of `rule`
// and the RDATEs; all are wall-clock times in the offset in force before
// them (`offsetFrom`), as RFC 5545 writes them.
struct ZoneObservance {
  bool daylight = false;  // a DAYLIGHT block
  LocalDateTime start;    // DTSTART
  int offsetFrom = 0;     // TZOFFSETFROM, seconds east of UTC
  int offsetTo = 0;       // TZOFFSETTO, seconds east of UTC
  std::optional<ZoneRule> rule;
  std::vector<LocalDateTime> rdates;
};

// The property values of a STANDARD or DAYLIGHT block, as the file writes
// them (after unfolding; parameters removed).
struct ZoneObservanceText {
  bool daylight = false;
  std::string_view start;                // DTSTART: "19701025T030000"
  std::string_view offsetFrom;           // TZOFFSETFROM: "+0200", "-0430", "+013000"
  std::string_view offsetTo;             // TZOFFSETTO
  std::vector<std::string_view> rules;   // RRULE values; at most one is accepted
  std::vector<std::string_view> rdates;  // RDATE values, each a comma list
};

// The observance of a block, or nullopt and in `why` the reason in Spanish
// naming the property and quoting its value (escaped by ShownText), e.g.
// "TZOFFSETTO no válido: \"+25\"" or "RRULE de zona no admitida: FREQ=MONTHLY".
// DTSTART and RDATE take local date-times (a "Z" one is converted with
// TZOFFSETFROM; a bare date is its midnight); UNTIL without "Z" is read as a
// local time in TZOFFSETFROM. Refused: a missing or malformed property, an
// offset of 24 hours or more, a frequency other than YEARLY, BYSETPOS,
// BYWEEKNO, the sub-daily parts, COUNT and UNTIL together, and more than
// one RRULE.
std::optional<ZoneObservance> ParseZoneObservance(const ZoneObservanceText& text, std::string& why);

// A UTC offset as iCalendar writes it: "+0100", "-0500", "+053045" (the
// seconds optional); nullopt when malformed or 24 hours or more.
std::optional<int> ParseUtcOffset(std::string_view text);

class TimeZone {
 public:
  // Coordinated Universal Time, named "UTC".
  static TimeZone Utc();

  // The zone of an IANA name, a Windows zone name or "UTC", "Etc/UTC",
  // "GMT"; nullopt when the name is unknown or not acceptable as a name
  // (empty, longer than 64 bytes, ".." or "." parts, an absolute path,
  // characters other than letters, digits, "/", "_", "+" and "-", the
  // "posix/" and "right/" trees, "localtime" and "posixrules"), or when the
  // zone's data cannot be read or is not valid TZif. Never throws but
  // std::bad_alloc. On Linux the first request for a zone reads its file;
  // the zone is then kept for the rest of the run (so a file replaced
  // meanwhile is not read again), and asking again costs a lookup.
  static std::optional<TimeZone> FromName(std::string_view name);

  // The zone of TZif data (RFC 8536, versions 1 to 4; a version 2+ footer
  // gives the changes after the last transition), named `name`; nullopt
  // when the bytes are not well-formed TZif or hold leap seconds.
  static std::optional<TimeZone> FromTzif(std::string_view name, std::string_view bytes);

  // The zone a VTIMEZONE describes, under the name `tzid`. Before its first
  // onset the zone keeps the TZOFFSETFROM of the observance that starts
  // first; with no observance it is UTC. Observances whose DTSTART is not a
  // valid date are left out. A COUNT is settled here, walking the rule's
  // years once; every conversion then looks at each observance, so its cost
  // grows with their number (a reader of untrusted files bounds them).
  static TimeZone FromObservances(std::string_view tzid, std::vector<ZoneObservance> observances);

  // Seconds east of UTC in force at the instant.
  int OffsetSecondsAt(std::int64_t utcSeconds) const;

  // A stretch of instants around `utcSeconds` over which the offset stays
  // the same: from the last change at or before it (or far back) to some
  // time after it, up to a year and a half later but never past the next
  // change. Empty (until < from) near the ends of the years 1 to 9999,
  // where instants are clamped. For callers that convert many nearby
  // instants and want to read the zone once.
  struct SteadyOffset {
    std::int64_t from = 0;    // unix seconds, inclusive
    std::int64_t until = -1;  // unix seconds, inclusive
    int offset = 0;           // seconds east of UTC
  };
  SteadyOffset SteadyOffsetAt(std::int64_t utcSeconds) const;

  // The instant of a wall-clock time (RFC 5545 3.3.5): a time that does not
  // exist (skipped by a change forwards, the spring gap) is read with the
  // offset before the change, so it moves forward by the gap's length; a
  // time that occurs twice (the repeated hour in autumn) is the first one.
  std::int64_t ToUtc(const LocalDateTime& local) const;

  // The wall-clock time at an instant.
  LocalDateTime ToLocal(std::int64_t utcSeconds) const;

  // Whether both are the same zone value (copies of one another).
  bool SameAs(const TimeZone& other) const { return data_ == other.data_; }

  // The IANA name it was made from (a Windows name gives its IANA zone),
  // "UTC" for the UTC names, or the VTIMEZONE's TZID.
  const std::string& Name() const;

  struct Data;  // the zone's transitions and rules (time_zone.cpp)

 private:
  explicit TimeZone(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
  std::shared_ptr<const Data> data_;
};

// The IANA zone CLDR maps a Windows zone name to ("Romance Standard Time"
// gives "Europe/Paris"); nullopt for a name the mapping does not hold.
std::optional<std::string_view> IanaNameOfWindowsZone(std::string_view windowsName);

// Seconds since 1970-01-01 00:00:00 of a wall-clock time taken as UTC (the
// "local seconds" the conversions work in); for a valid date.
std::int64_t LocalSeconds(const LocalDateTime& local);

// The wall-clock time `seconds` after 1970-01-01 00:00:00 (clamped to the
// years 1 to 9999).
LocalDateTime LocalFromSeconds(std::int64_t seconds);

}  // namespace trevalda
