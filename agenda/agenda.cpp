#include "agenda/agenda.h"

#include <algorithm>
#include <optional>

#include "calendar/holidays.h"

namespace trevalda {
namespace {

// The first day (DaySerial) of the rule's occurrence in `year`, if it has one.
std::optional<std::int32_t> OccurrenceIn(const AgendaRule& rule, int year) {
  if (year < 1 || year > 9999) return std::nullopt;
  const auto y = static_cast<std::int16_t>(year);
  switch (rule.kind) {
    case AgendaRule::Kind::kOnce:
      if (year != rule.date.year) return std::nullopt;
      return DaySerial(rule.date);
    case AgendaRule::Kind::kYearly: {
      const int interval = std::max<int>(rule.interval, 1);
      if (year < rule.date.year || year > rule.lastYear ||
          (year - rule.date.year) % interval != 0) {
        return std::nullopt;
      }
      const PageDate date{rule.date.day, rule.date.month, y};
      if (!IsValidPageDate(date)) return std::nullopt;  // 29 February of a common year
      return DaySerial(date);
    }
    case AgendaRule::Kind::kEaster:
      return DaySerial(EasterSunday(y)) + rule.easterOffset;
  }
  return std::nullopt;
}

}  // namespace

bool RuleCovers(const AgendaRule& rule, const PageDate& date) {
  if (!IsValidPageDate(date)) return false;
  // Most rules name one day of the month: a quick no for the other days.
  if (rule.kind != AgendaRule::Kind::kEaster && rule.spanDays <= 1 &&
      (rule.date.day != date.day || rule.date.month != date.month)) {
    return false;
  }
  const std::int32_t serial = DaySerial(date);
  const std::int32_t span = std::clamp(rule.spanDays, 1, AgendaRule::kMaxSpanDays);
  // An occurrence that starts in the year before may still run into this one.
  for (int year = date.year; year >= date.year - (span > 1 ? 1 : 0); --year) {
    const std::optional<std::int32_t> first = OccurrenceIn(rule, year);
    if (!first || serial < *first || serial - *first >= span) continue;
    if (std::find(rule.skip.begin(), rule.skip.end(), *first) == rule.skip.end()) return true;
  }
  return false;
}

std::vector<AgendaEntry> Agenda::EntriesFor(const PageDate& date) const {
  std::vector<AgendaEntry> entries;
  if (!IsValidPageDate(date)) return entries;
  if (nationalHolidays_) {
    const std::string_view name = NationalHolidayOn(date);
    if (!name.empty()) entries.push_back({std::string(name), true});
  }
  for (const AgendaRule& rule : rules_) {
    if (RuleCovers(rule, date)) entries.push_back(rule.entry);
  }
  return entries;
}

}  // namespace trevalda
