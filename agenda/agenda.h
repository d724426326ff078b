// The agenda: what the user's year adds to a day page. National holidays
// and the dates read from the user's files, kept as rules, give for any date
// the list of its entries.
//
// Texts are Windows-1252 bytes. An Agenda is filled once and then only read,
// so several threads may ask it for entries at the same time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
  };
  Kind kind = Kind::kOnce;
  PageDate date;                   // kOnce, kYearly: the (first) date
  std::int16_t easterOffset = 0;   // kEaster: days after (negative: before) Easter Sunday
  std::int16_t lastYear = 9999;    // kYearly: the last year it may occur
  std::int16_t interval = 1;       // kYearly: years between occurrences, at least 1
  std::int32_t spanDays = 1;       // days each occurrence covers, from its first, 1..kMaxSpanDays
  std::vector<std::int32_t> skip;  // first days (DaySerial) of occurrences left out
  AgendaEntry entry;

  // A 29 February that repeats occurs in leap years only.
  static constexpr std::int32_t kMaxSpanDays = 366;
};

// Whether `rule` has an occurrence that covers `date`.
bool RuleCovers(const AgendaRule& rule, const PageDate& date);

class Agenda {
 public:
  // Adds the national holidays of Spain (as holiday entries) to every date.
  void AddNationalHolidays() { nationalHolidays_ = true; }

  void Add(AgendaRule rule) { rules_.push_back(std::move(rule)); }

  // The entries of `date`: the national holiday first (when added), then
  // the rules' entries in the order they were added. Empty for a date that
  // is not valid.
  std::vector<AgendaEntry> EntriesFor(const PageDate& date) const;

 private:
  bool nationalHolidays_ = false;
  std::vector<AgendaRule> rules_;
};

}  // namespace trevalda
