// The agenda: what the user's year adds to a day page. National holidays
// and the dates read from the user's files, kept as rules, give for any date
// the list of its entries.
//
// Texts are Windows-1252 bytes. An Agenda is filled once and then only read,
// so several threads may ask it for entries at the same time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "agenda/calendar_event.h"
#include "agenda/time_zone.h"
#include "calendar/calendar.h"

namespace trevalda {

// One thing a day page shows for its date.
struct AgendaEntry {
  std::string text;      // "Cumpleaños de Ana", "18:30 Dentista" (Windows-1252)
  bool holiday = false;  // a holiday: printed in dark red under the saint

  friend bool operator==(const AgendaEntry&, const AgendaEntry&) = default;
};

// When an entry comes back.
struct AgendaRule {
  enum class Kind {
    kOnce,    // on `date` only
    kYearly,  // every `interval` years on the day and month of `date`, from its year to lastYear
    kEaster,  // `easterOffset` days from Easter Sunday, every year
    kEvent,   // a calendar event: `event` says when; `entry` holds its text for the record
  };
  Kind kind = Kind::kOnce;
  PageDate date;                   // kOnce, kYearly: the (first) date; kEvent: DTSTART's date
  std::int16_t easterOffset = 0;   // kEaster: days after (negative: before) Easter Sunday
  std::int16_t lastYear = 9999;    // kYearly: the last year it may occur
  std::int16_t interval = 1;       // kYearly: years between occurrences, at least 1
  std::int32_t spanDays = 1;       // days each occurrence covers, from its first, 1..kMaxSpanDays
  std::vector<std::int32_t> skip;  // first days (DaySerial) of occurrences left out
  AgendaEntry entry;
  std::shared_ptr<const CalendarEvent> event;  // kEvent

  // A 29 February that repeats occurs in leap years only.
  static constexpr std::int32_t kMaxSpanDays = 366;
};

// Whether `rule` has an occurrence that covers `date` (a calendar event's
// on the clock of `zone`).
bool RuleCovers(const AgendaRule& rule, const PageDate& date,
                const TimeZone& zone = TimeZone::Utc());

// Calendar events are placed span by span as pages ask for their days
// (several threads may ask at once): the agenda keeps the walks and the
// last spans it placed, so a run in date order walks every rule once.
class Agenda {
 public:
  Agenda();
  ~Agenda();
  Agenda(Agenda&&) noexcept;
  Agenda& operator=(Agenda&&) noexcept;
  Agenda(const Agenda&) = delete;
  Agenda& operator=(const Agenda&) = delete;

  // The zone whose days and hours the pages show: timed events are moved
  // to its clock (all-day and floating ones are not). Peninsular Spain
  // (Europe/Madrid) unless set; set it before the first EntriesFor.
  void SetTimeZone(TimeZone zone);
  const TimeZone& Zone() const { return zone_; }

  // Adds the national holidays of Spain (as holiday entries) to every date.
  void AddNationalHolidays() { nationalHolidays_ = true; }

  void Add(AgendaRule rule);

  // The entries of `date`: the national holiday first (when added), then
  // the rules' entries in the order they were added (an event's several
  // occurrences of a day in the order of their times, "HH:MM Texto").
  // Empty for a date that is not valid. Throws std::bad_alloc when memory
  // runs out.
  std::vector<AgendaEntry> EntriesFor(const PageDate& date) const;

 private:
  struct Placements;

  bool nationalHolidays_ = false;
  std::vector<AgendaRule> rules_;
  TimeZone zone_;
  std::unique_ptr<Placements> placements_;  // the walks and placed spans; guarded inside
};

// The text an occurrence shows: "HH:MM Texto" for a timed one.
std::string OccurrenceText(const PlacedOccurrence& occurrence);

}  // namespace trevalda
