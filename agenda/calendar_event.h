// A calendar event (an iCalendar VEVENT) as the agenda keeps it: its start,
// everything that repeats it or leaves occurrences out, and the changes
// later events of the same UID make to it; and the walk that places its
// occurrences on the days of a page's time zone.
//
// An event is read once and then only read. Memory is what the file holds:
// a rule with COUNT=1000000 or a thousand overrides adds no more than its
// text. Placing walks only the span of days asked for (see RecurrenceWalk).
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "agenda/recurrence.h"
#include "agenda/time_zone.h"

namespace trevalda {

struct CalendarEvent {
  // What DTSTART is written in: dates (an all-day event), a floating wall
  // clock (the same hour wherever the page is) or a time zone (UTC too).
  enum class Frame { kAllDay, kFloating, kZoned };

  // A change RECURRENCE-ID;RANGE=THISANDFUTURE makes to the occurrence at
  // `key` and every later one: moved by `shift`, with its own text and
  // span, or cancelled.
  struct FutureChange {
    std::int64_t key = 0;
    std::int64_t shift = 0;  // seconds, in the frame of the keys
    bool cancelled = false;
    std::string text;
    std::int32_t spanDays = 1;
  };

  Frame frame = Frame::kAllDay;
  std::optional<TimeZone> zone;            // kZoned only
  WallTime start;                          // DTSTART on the frame's clock (all-day: second 0)
  std::int32_t spanDays = 1;               // all-day: the days each occurrence covers
  std::string text;                        // Windows-1252, without the time
  std::vector<RecurrenceRule> rules;       // RRULE lines; UNTIL already placed (untilWall)
  std::vector<WallTime> extraStarts;       // RDATE, on the frame's clock, sorted
  std::vector<std::int64_t> excluded;      // EXDATE keys, sorted
  std::vector<std::int32_t> excludedDays;  // EXDATE dates of a timed event (frame days), sorted
  std::vector<std::int64_t> replaced;  // keys of occurrences other events replace or cancel, sorted
  std::vector<FutureChange> future;    // sorted by key

  // The key of a moment on the frame's clock, which RECURRENCE-ID and
  // EXDATE are matched by: seconds since 1/1/1 00:00 UTC for a zoned event,
  // else wall-clock seconds.
  std::int64_t KeyOf(WallTime moment) const;
  bool Repeats() const { return !rules.empty() || !extraStarts.empty(); }
};

// The instant (seconds since 1/1/1 00:00 UTC) of a wall-clock moment in
// `zone`, and back.
std::int64_t UtcKeyOf(const TimeZone& zone, WallTime wall);
WallTime WallOf(const TimeZone& zone, std::int64_t key);

// UtcKeyOf and WallOf for many nearby moments: for each zone met it keeps
// the last few stretches of time over which the zone's offset stays the
// same (summer and winter, as events of a year come in turn), and converts
// inside them without reading the zone again. Same results as UtcKeyOf and
// WallOf. Not for several threads.
class ZoneClocks {
 public:
  std::int64_t KeyOf(const TimeZone& zone, WallTime wall);
  WallTime WallOf(const TimeZone& zone, std::int64_t key);

 private:
  static constexpr std::size_t kStretchesKept = 4;
  static constexpr std::size_t kZonesKept = 16;
  struct Known {
    TimeZone zone;
    std::array<TimeZone::SteadyOffset, kStretchesKept> stretches{};
    std::size_t replaced = 0;  // the stretch a new one takes the place of
  };
  // A stretch kept for `zone` that holds [unixSeconds - reach, unixSeconds
  // + reach], else one read at `unixSeconds` (which may hold less).
  const TimeZone::SteadyOffset& Steady(const TimeZone& zone, std::int64_t unixSeconds,
                                       std::int64_t reach);

  std::vector<Known> known_;
  std::size_t replaced_ = 0;  // the zone a new one takes the place of
};

// One occurrence on a page's days.
struct PlacedOccurrence {
  std::int32_t day = 0;               // DaySerial on the page's clock
  std::int32_t second = -1;           // its second of that day; -1: all day
  std::int32_t spanDays = 1;          // all-day: the days it covers from `day`
  const std::string* text = nullptr;  // the event's (or its change's) text
};

// At most this many occurrences of one event on one day are placed (a rule
// every minute would otherwise fill a page with 1,440).
inline constexpr int kMaxOccurrencesPerDay = 100;

// Places one event's occurrences on the days of a page's zone, span after
// span. Going forward continues the walk; going back starts it over.
class EventPlacement {
 public:
  explicit EventPlacement(const CalendarEvent& event) : event_(&event) {}

  // Appends the occurrences that fall on (or, all-day, cover a day of) the
  // page days [firstDay, endDay), in order of time. `clocks` converts the
  // times; the caller may keep it from call to call and event to event.
  void Place(std::int32_t firstDay, std::int32_t endDay, const TimeZone& pageZone,
             ZoneClocks& clocks, std::vector<PlacedOccurrence>& out);

 private:
  void Collect(WallTime from, WallTime to, std::vector<WallTime>& starts);

  const CalendarEvent* event_;
  std::vector<RecurrenceWalk> walks_;
  std::vector<WallTime> recent_;  // what the walks gave last time, still possibly wanted
  std::int64_t lastFrom_ = std::numeric_limits<std::int64_t>::min();
  WallTime nextPossible_{};  // no start comes before this, past what `recent_` holds
};

}  // namespace trevalda
