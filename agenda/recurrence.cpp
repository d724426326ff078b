#include "agenda/recurrence.h"

#include <algorithm>
#include <array>
#include <limits>

#include "calendar/calendar.h"

namespace trevalda {
namespace {

constexpr std::int64_t kDaySeconds = 86400;
constexpr std::uint64_t kMostCount = std::uint64_t{1} << 62;  // more than the walk can ever reach
constexpr std::int64_t kMostInterval = std::int64_t{1} << 40;

std::int32_t LastSerial() { return DaySerial({31, 12, 9999}); }

int WeekdayOf(std::int32_t serial) {
  return static_cast<int>(serial % 7) + 1;
}  // 1/1/1 was a Monday

std::int16_t DaysInYear(int year) {
  return static_cast<std::int16_t>(DaysInFebruary(static_cast<std::int16_t>(year)) + 337);
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return upper;
}

// A whole number with an optional sign; nullopt for anything else. Values
// past `most` come back as `most` (with their sign).
std::optional<std::int64_t> ReadNumber(std::string_view text, std::int64_t most) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min(most, value * 10 + (c - '0'));
  }
  return negative ? -value : value;
}

constexpr std::array<std::string_view, 7> kWeekdays = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};

int ReadWeekday(std::string_view text) {
  for (std::size_t i = 0; i < kWeekdays.size(); ++i) {
    if (text == kWeekdays[i]) return static_cast<int>(i) + 1;
  }
  return 0;
}

// Splits a comma list; false (with `why`) when an item is not a number in
// [low, high] or is 0 where `zeroAllowed` is false.
bool ReadNumberList(std::string_view key, std::string_view list, int low, int high,
                    bool zeroAllowed, std::vector<int>& out, std::string& why) {
  for (std::size_t at = 0; at <= list.size();) {
    const std::size_t end = std::min(list.find(',', at), list.size());
    const std::optional<std::int64_t> n = ReadNumber(list.substr(at, end - at), 100000);
    if (!n || *n < low || *n > high || (*n == 0 && !zeroAllowed)) {
      why = "RRULE con " + std::string(key) + "=" + std::string(list.substr(0, 40)) +
            " fuera de rango";
      return false;
    }
    out.push_back(static_cast<int>(*n));
    at = end + 1;
  }
  return true;
}

bool ReadByDay(std::string_view list, std::vector<RecurrenceRule::WeekdayNumber>& out,
               std::string& why) {
  for (std::size_t at = 0; at <= list.size();) {
    const std::size_t end = std::min(list.find(',', at), list.size());
    const std::string_view item = list.substr(at, end - at);
    at = end + 1;
    RecurrenceRule::WeekdayNumber number;
    if (item.size() >= 2) number.weekday = ReadWeekday(item.substr(item.size() - 2));
    std::optional<std::int64_t> ordinal = 0;
    if (item.size() > 2) ordinal = ReadNumber(item.substr(0, item.size() - 2), 1000);
    if (item.size() < 2 || number.weekday == 0 || !ordinal || *ordinal < -53 || *ordinal > 53 ||
        (item.size() > 2 && *ordinal == 0)) {
      why = "RRULE con BYDAY=" + std::string(list.substr(0, 40)) + " no v\xE1lido";
      return false;
    }
    number.ordinal = static_cast<int>(*ordinal);
    out.push_back(number);
  }
  return true;
}

bool Contains(const std::vector<int>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// The first day of week 1 of `year` when weeks start on `weekStart`: the
// week that holds at least four days of the year.
std::int32_t FirstWeekStart(int year, int weekStart) {
  const std::int32_t january1 = DaySerial({1, 1, static_cast<std::int16_t>(year)});
  const int into = (WeekdayOf(january1) - weekStart + 7) % 7;  // days of the week before 1 January
  return 7 - into >= 4 ? january1 - into : january1 - into + 7;
}

// Whether `serial` lies in one of the weeks `byWeekNo` names (counted from
// the start, or from the end when negative, of the week's own year).
bool InWeeks(std::int32_t serial, int year, int weekStart, const std::vector<int>& byWeekNo) {
  int weekYear = year;
  std::int32_t first = FirstWeekStart(year, weekStart);
  if (serial < first) {
    --weekYear;
    first = FirstWeekStart(weekYear, weekStart);
  } else if (year < 9999 && serial >= FirstWeekStart(year + 1, weekStart)) {
    ++weekYear;
    first = FirstWeekStart(weekYear, weekStart);
  }
  const int week = static_cast<int>((serial - first) / 7) + 1;
  const int weeks = weekYear < 9999
                        ? static_cast<int>((FirstWeekStart(weekYear + 1, weekStart) - first) / 7)
                        : 52;
  for (const int wanted : byWeekNo) {
    if (wanted == week || wanted == week - weeks - 1) return true;
  }
  return false;
}

// FREQ's value into `frequency`; false, with why, for a name it does not
// have.
bool ReadFrequency(std::string_view value, Frequency& frequency, std::string& why) {
  constexpr std::array<std::string_view, 7> kNames = {"SECONDLY", "MINUTELY", "HOURLY", "DAILY",
                                                      "WEEKLY",   "MONTHLY",  "YEARLY"};
  const auto found = std::find(kNames.begin(), kNames.end(), value);
  if (found == kNames.end()) {
    why = "RRULE con FREQ=" + std::string(value.substr(0, 20)) + " desconocida";
    return false;
  }
  frequency = static_cast<Frequency>(found - kNames.begin());
  return true;
}

}  // namespace

WallTime WallTime::FromSeconds(std::int64_t seconds) {
  std::int64_t day = seconds / kDaySeconds;
  std::int64_t second = seconds % kDaySeconds;
  if (second < 0) {
    second += kDaySeconds;
    --day;
  }
  return {static_cast<std::int32_t>(day), static_cast<std::int32_t>(second)};
}

std::optional<RecurrenceRule> ParseRecurrenceRule(std::string_view text, std::string& why) {
  RecurrenceRule rule;
  bool haveFrequency = false;
  std::vector<std::string> seen;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find(';', at), text.size());
    const std::string part = Upper(text.substr(at, end - at));
    at = end + 1;
    if (part.empty()) continue;
    const std::size_t equals = part.find('=');
    const std::string key = part.substr(0, std::min(equals, part.size()));
    if (equals == std::string::npos || equals + 1 == part.size()) {
      why = "RRULE con " + key.substr(0, 20) + " sin valor";
      return std::nullopt;
    }
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
      why = "RRULE con " + key.substr(0, 20) + " repetido";
      return std::nullopt;
    }
    seen.push_back(key);
    const std::string_view value = std::string_view(part).substr(equals + 1);
    bool good = true;
    if (key == "FREQ") {
      good = haveFrequency = ReadFrequency(value, rule.frequency, why);
    } else if (key == "INTERVAL" || key == "COUNT") {
      const auto n = ReadNumber(value, kMostInterval);
      if (!n || *n < 1) {
        why = "RRULE con " + key + "=" + std::string(value.substr(0, 24));
        return std::nullopt;
      }
      if (key == "INTERVAL") rule.interval = *n;
      if (key == "COUNT")
        rule.count = *n >= kMostInterval ? kMostCount : static_cast<std::uint64_t>(*n);
    } else if (key == "UNTIL") {
      rule.until = std::string(value);
    } else if (key == "BYSECOND") {
      good = ReadNumberList(key, value, 0, 60, true, rule.bySecond, why);
      std::erase(rule.bySecond, 60);  // a leap second: no such second on this clock
    } else if (key == "BYMINUTE") {
      good = ReadNumberList(key, value, 0, 59, true, rule.byMinute, why);
    } else if (key == "BYHOUR") {
      good = ReadNumberList(key, value, 0, 23, true, rule.byHour, why);
    } else if (key == "BYDAY") {
      good = ReadByDay(value, rule.byDay, why);
    } else if (key == "BYMONTHDAY") {
      good = ReadNumberList(key, value, -31, 31, false, rule.byMonthDay, why);
    } else if (key == "BYYEARDAY") {
      good = ReadNumberList(key, value, -366, 366, false, rule.byYearDay, why);
    } else if (key == "BYWEEKNO") {
      good = ReadNumberList(key, value, -53, 53, false, rule.byWeekNo, why);
    } else if (key == "BYMONTH") {
      good = ReadNumberList(key, value, 1, 12, false, rule.byMonth, why);
    } else if (key == "BYSETPOS") {
      good = ReadNumberList(key, value, -366, 366, false, rule.bySetPos, why);
    } else if (key == "WKST") {
      rule.weekStart = ReadWeekday(value);
      if (rule.weekStart == 0) {
        why = "RRULE con WKST=" + std::string(value.substr(0, 20)) + " desconocido";
        return std::nullopt;
      }
    } else if (!key.starts_with("X-")) {
      why = "RRULE con una parte desconocida: " + key.substr(0, 20);
      return std::nullopt;
    }
    if (!good) return std::nullopt;
  }
  if (!haveFrequency) {
    why = "RRULE sin FREQ";
    return std::nullopt;
  }
  if (rule.count && rule.until) {
    why = "RRULE con COUNT y UNTIL a la vez";
    return std::nullopt;
  }
  return rule;
}

RecurrenceWalk::RecurrenceWalk(const RecurrenceRule& rule, WallTime start)
    : rule_(&rule), start_(start), floor_(start.Seconds()) {
  const PageDate date = DateFromSerial(start.day);
  year_ = date.year;
  month_ = date.month;
  day_ = start.day;
  second_ = start.Seconds();
  if (rule.frequency == Frequency::kWeekly) {
    day_ -= (WeekdayOf(start.day) - rule.weekStart + 7) % 7;
  }
  // The times of day of a daily or coarser rule; finer rules take them
  // from the period itself.
  const int hour = start.second / 3600;
  const int minute = start.second / 60 % 60;
  const int second = start.second % 60;
  hours_ = rule.byHour.empty() ? std::vector<int>{hour} : rule.byHour;
  minutes_ = rule.byMinute.empty() ? std::vector<int>{minute} : rule.byMinute;
  seconds_ = rule.bySecond.empty() ? std::vector<int>{second} : rule.bySecond;
  for (auto* list : {&hours_, &minutes_, &seconds_}) {
    std::sort(list->begin(), list->end());
    list->erase(std::unique(list->begin(), list->end()), list->end());
  }
}

bool RecurrenceWalk::DayMatches(std::int32_t serial) const {
  const RecurrenceRule& r = *rule_;
  const PageDate date = DateFromSerial(serial);
  if (!r.byMonth.empty() && !Contains(r.byMonth, date.month)) return false;
  if (!r.byWeekNo.empty() && !InWeeks(serial, date.year, r.weekStart, r.byWeekNo)) return false;
  const int monthDays = DaysInMonth(date.year, date.month);
  const int yearDays = DaysInYear(date.year);
  const int yearDay = DayCount(date.year, date.month, date.day, kDayOfYear);
  if (!r.byYearDay.empty() && !Contains(r.byYearDay, yearDay) &&
      !Contains(r.byYearDay, yearDay - yearDays - 1)) {
    return false;
  }
  // With none of the day parts, the start's own day of the month (monthly,
  // yearly) or of the week (weekly) is meant.
  const bool noDayParts =
      r.byWeekNo.empty() && r.byYearDay.empty() && r.byMonthDay.empty() && r.byDay.empty();
  if (noDayParts) {
    const PageDate first = DateFromSerial(start_.day);
    if (r.frequency == Frequency::kYearly && r.byMonth.empty() && date.month != first.month)
      return false;
    if ((r.frequency == Frequency::kYearly || r.frequency == Frequency::kMonthly) &&
        date.day != first.day) {
      return false;
    }
    if (r.frequency == Frequency::kWeekly && WeekdayOf(serial) != WeekdayOf(start_.day))
      return false;
    return true;
  }
  if (!r.byMonthDay.empty() && !Contains(r.byMonthDay, date.day) &&
      !Contains(r.byMonthDay, date.day - monthDays - 1)) {
    return false;
  }
  if (!r.byDay.empty()) {
    const int weekday = WeekdayOf(serial);
    // Ordinals count within the month (monthly, or yearly with BYMONTH) or
    // the year (yearly); finer rules take every such weekday.
    const bool inMonth = r.frequency == Frequency::kMonthly ||
                         (r.frequency == Frequency::kYearly && !r.byMonth.empty());
    const bool inYear = r.frequency == Frequency::kYearly && r.byMonth.empty();
    bool any = false;
    for (const auto& wanted : r.byDay) {
      if (wanted.weekday != weekday) continue;
      if (wanted.ordinal == 0 || (!inMonth && !inYear)) {
        any = true;
      } else if (inMonth) {
        any = wanted.ordinal > 0 ? (date.day - 1) / 7 + 1 == wanted.ordinal
                                 : (monthDays - date.day) / 7 + 1 == -wanted.ordinal;
      } else {
        any = wanted.ordinal > 0 ? (yearDay - 1) / 7 + 1 == wanted.ordinal
                                 : (yearDays - yearDay) / 7 + 1 == -wanted.ordinal;
      }
      if (any) break;
    }
    if (!any) return false;
  }
  return true;
}

void RecurrenceWalk::TimesOfPeriod(std::vector<std::int32_t>& times) const {
  const RecurrenceRule& r = *rule_;
  times.clear();
  const auto seconds = [](int h, int m, int s) {
    return static_cast<std::int32_t>(h * 3600 + m * 60 + s);
  };
  if (r.frequency >= Frequency::kDaily) {
    for (const int h : hours_) {
      for (const int m : minutes_) {
        for (const int s : seconds_) times.push_back(seconds(h, m, s));
      }
    }
    return;
  }
  const auto within =
      static_cast<std::int32_t>(((second_ % kDaySeconds) + kDaySeconds) % kDaySeconds);
  const int h = within / 3600;
  const int m = within / 60 % 60;
  const int s = within % 60;
  if (!r.byHour.empty() && !Contains(r.byHour, h)) return;
  if (r.frequency == Frequency::kHourly) {
    for (const int mm : minutes_) {
      for (const int ss : seconds_) times.push_back(seconds(h, mm, ss));
    }
    return;
  }
  if (!r.byMinute.empty() && !Contains(r.byMinute, m)) return;
  if (r.frequency == Frequency::kMinutely) {
    for (const int ss : seconds_) times.push_back(seconds(h, m, ss));
    return;
  }
  if (!r.bySecond.empty() && !Contains(r.bySecond, s)) return;
  times.push_back(within);
}

// The days of the period [first, last] that may match, in order: the
// days the month and day parts name when they name them directly, else
// every day. DayMatches decides.
void RecurrenceWalk::CandidateDays(std::int32_t first, std::int32_t last,
                                   std::vector<std::int32_t>& days) const {
  const RecurrenceRule& r = *rule_;
  const bool noDayParts =
      r.byWeekNo.empty() && r.byYearDay.empty() && r.byMonthDay.empty() && r.byDay.empty();
  const bool byMonthPeriod =
      r.frequency == Frequency::kYearly || r.frequency == Frequency::kMonthly;
  if (byMonthPeriod && r.byWeekNo.empty() && r.byYearDay.empty()) {
    const PageDate from = DateFromSerial(first);
    std::vector<int> months;
    if (r.frequency == Frequency::kMonthly) {
      months.push_back(from.month);
    } else if (!r.byMonth.empty()) {
      months = r.byMonth;
    } else if (noDayParts) {
      months.push_back(DateFromSerial(start_.day).month);
    } else {
      for (int m = 1; m <= 12; ++m) months.push_back(m);
    }
    std::sort(months.begin(), months.end());
    months.erase(std::unique(months.begin(), months.end()), months.end());
    for (const int month : months) {
      const auto m = static_cast<std::int16_t>(month);
      const int length = DaysInMonth(from.year, m);
      const std::int32_t monthStart = DaySerial({1, m, from.year});
      std::vector<int> monthDays;
      if (noDayParts) {
        monthDays.push_back(DateFromSerial(start_.day).day);
      } else if (!r.byMonthDay.empty()) {
        for (const int d : r.byMonthDay) monthDays.push_back(d > 0 ? d : length + d + 1);
        std::sort(monthDays.begin(), monthDays.end());
        monthDays.erase(std::unique(monthDays.begin(), monthDays.end()), monthDays.end());
      } else {
        for (int d = 1; d <= length; ++d) monthDays.push_back(d);
      }
      for (const int d : monthDays) {
        if (d >= 1 && d <= length) days.push_back(monthStart + d - 1);
      }
    }
    return;
  }
  if (r.frequency == Frequency::kWeekly && (noDayParts || !r.byDay.empty())) {
    for (std::int32_t day = first; day <= last; ++day) {
      const int weekday = WeekdayOf(day);
      const bool named = noDayParts
                             ? weekday == WeekdayOf(start_.day)
                             : std::any_of(r.byDay.begin(), r.byDay.end(),
                                           [&](const auto& w) { return w.weekday == weekday; });
      if (named) days.push_back(day);
    }
    return;
  }
  for (std::int32_t day = first; day <= last; ++day) days.push_back(day);
}

bool RecurrenceWalk::FillPeriod() {
  const RecurrenceRule& r = *rule_;
  buffer_.clear();
  next_ = 0;
  std::int32_t first = 0;
  std::int32_t last = 0;  // the period's days, inclusive
  switch (r.frequency) {
    case Frequency::kYearly:
      if (year_ > 9999) return false;
      first = DaySerial({1, 1, static_cast<std::int16_t>(year_)});
      last = DaySerial({31, 12, static_cast<std::int16_t>(year_)});
      break;
    case Frequency::kMonthly:
      if (year_ > 9999) return false;
      first = DaySerial({1, static_cast<std::int16_t>(month_), static_cast<std::int16_t>(year_)});
      last = first +
             DaysInMonth(static_cast<std::int16_t>(year_), static_cast<std::int16_t>(month_)) - 1;
      break;
    case Frequency::kWeekly:
      first = day_;
      last = day_ + 6;
      break;
    case Frequency::kDaily:
      first = last = day_;
      break;
    default:
      first = last = static_cast<std::int32_t>(second_ / kDaySeconds);
      break;
  }
  if (first > LastSerial()) return false;
  last = std::min(last, LastSerial());
  first = std::max<std::int32_t>(first, 0);
  std::vector<std::int32_t> times;
  TimesOfPeriod(times);
  if (times.empty()) return true;
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  std::vector<std::int32_t> days;
  CandidateDays(first, last, days);
  for (const std::int32_t day : days) {
    if (day < first || day > last || !DayMatches(day)) continue;
    for (const std::int32_t t : times) buffer_.push_back({day, t});
  }
  if (!r.bySetPos.empty() && !buffer_.empty()) {
    std::vector<WallTime> chosen;
    const auto size = static_cast<int>(buffer_.size());
    for (const int position : r.bySetPos) {
      const int index = position > 0 ? position - 1 : size + position;
      if (index >= 0 && index < size) chosen.push_back(buffer_[static_cast<std::size_t>(index)]);
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    buffer_ = std::move(chosen);
  }
  return true;
}

void RecurrenceWalk::AdvancePeriod() {
  const RecurrenceRule& r = *rule_;
  switch (r.frequency) {
    case Frequency::kYearly:
      year_ = static_cast<int>(std::min<std::int64_t>(year_ + r.interval, 10000));
      break;
    case Frequency::kMonthly: {
      const std::int64_t index =
          std::min<std::int64_t>(std::int64_t{year_} * 12 + month_ - 1 + r.interval, 120000);
      year_ = static_cast<int>(index / 12);
      month_ = static_cast<int>(index % 12) + 1;
      break;
    }
    case Frequency::kWeekly:
      day_ = static_cast<std::int32_t>(
          std::min<std::int64_t>(day_ + 7 * r.interval, LastSerial() + 1));
      break;
    case Frequency::kDaily:
      day_ = static_cast<std::int32_t>(std::min<std::int64_t>(day_ + r.interval, LastSerial() + 1));
      break;
    default: {
      const std::int64_t unit = r.frequency == Frequency::kHourly     ? 3600
                                : r.frequency == Frequency::kMinutely ? 60
                                                                      : 1;
      const std::int64_t step = unit * r.interval;
      const std::int64_t end = (std::int64_t{LastSerial()} + 1) * kDaySeconds;
      std::int64_t next = second_ + step;
      // Whole days (or hours) the day or time parts rule out are stepped
      // over in one go.
      const auto jumpTo = [&](std::int64_t boundary) {
        if (next < boundary) next += (boundary - next + step - 1) / step * step;
      };
      for (int guard = 0; guard < 4 && next < end; ++guard) {
        const auto day = static_cast<std::int32_t>(next / kDaySeconds);
        if (!DayMatches(day)) {
          jumpTo((std::int64_t{day} + 1) * kDaySeconds);
          continue;
        }
        const int hour = static_cast<int>(next % kDaySeconds / 3600);
        if (r.frequency != Frequency::kHourly && !r.byHour.empty() && !Contains(r.byHour, hour)) {
          jumpTo(next / 3600 * 3600 + 3600);
          continue;
        }
        break;
      }
      second_ = std::min(next, end);
      break;
    }
  }
}

WallTime RecurrenceWalk::PeriodStart() const {
  switch (rule_->frequency) {
    case Frequency::kYearly:
      return {year_ > 9999 ? LastSerial() + 1 : DaySerial({1, 1, static_cast<std::int16_t>(year_)}),
              0};
    case Frequency::kMonthly:
      return {year_ > 9999 ? LastSerial() + 1
                           : DaySerial({1, static_cast<std::int16_t>(month_),
                                        static_cast<std::int16_t>(year_)}),
              0};
    case Frequency::kWeekly:
    case Frequency::kDaily:
      return {day_, 0};
    default:
      return WallTime::FromSeconds(second_);
  }
}

WallTime RecurrenceWalk::NextPossible() const {
  if (ended_) return {LastSerial() + 1, 0};
  if (!filled_) return PeriodStart();
  if (next_ < buffer_.size()) return buffer_[next_];
  return PeriodStart();  // the period is spent: the next one starts later still
}

std::optional<WallTime> RecurrenceWalk::NextBefore(WallTime limit) {
  const RecurrenceRule& r = *rule_;
  while (!ended_) {
    while (next_ < buffer_.size()) {
      const WallTime candidate = buffer_[next_];
      if (candidate.Seconds() < start_.Seconds()) {
        ++next_;
        continue;
      }
      if (r.untilWall && candidate > *r.untilWall) {
        ended_ = true;
        return std::nullopt;
      }
      if (candidate >= limit) return std::nullopt;  // kept for a later call
      ++next_;
      if (r.count && ++counted_ > *r.count) {
        ended_ = true;
        return std::nullopt;
      }
      if (candidate.Seconds() < floor_) continue;
      return candidate;
    }
    // The next period, unless it starts at or after the limit.
    if (filled_) AdvancePeriod();
    const WallTime periodStart = PeriodStart();
    if (periodStart.day > LastSerial()) {
      ended_ = true;
      return std::nullopt;
    }
    if (periodStart >= limit) {
      filled_ = false;  // not filled yet: the next call fills this period
      return std::nullopt;
    }
    filled_ = FillPeriod();
    if (!filled_) ended_ = true;
  }
  return std::nullopt;
}

void RecurrenceWalk::SkipTo(WallTime moment) {
  floor_ = std::max(floor_, moment.Seconds());
  if (rule_->count)
    return;  // counting needs every occurrence: NextBefore walks and leaves them out
  // Jump to the period before the one holding `moment` (a period's
  // occurrences all lie within it), unless the walk is already past it.
  const RecurrenceRule& r = *rule_;
  const PageDate target = DateFromSerial(std::max(moment.day, start_.day));
  const PageDate first = DateFromSerial(start_.day);
  bool jumped = false;
  switch (r.frequency) {
    case Frequency::kYearly: {
      const std::int64_t periods = (target.year - first.year) / r.interval;
      const auto year = static_cast<int>(first.year + periods * r.interval);
      if (year > year_) {
        year_ = year;
        jumped = true;
      }
      break;
    }
    case Frequency::kMonthly: {
      const std::int64_t from = std::int64_t{first.year} * 12 + first.month - 1;
      const std::int64_t to = std::int64_t{target.year} * 12 + target.month - 1;
      const std::int64_t index = from + (to - from) / r.interval * r.interval;
      if (index > std::int64_t{year_} * 12 + month_ - 1) {
        year_ = static_cast<int>(index / 12);
        month_ = static_cast<int>(index % 12) + 1;
        jumped = true;
      }
      break;
    }
    case Frequency::kWeekly:
    case Frequency::kDaily: {
      const std::int32_t origin = r.frequency == Frequency::kWeekly
                                      ? start_.day - (WeekdayOf(start_.day) - r.weekStart + 7) % 7
                                      : start_.day;
      const std::int64_t length = (r.frequency == Frequency::kWeekly ? 7 : 1) * r.interval;
      const std::int64_t day =
          origin + (std::int64_t{DaySerial(target)} - origin) / length * length;
      if (day > day_) {
        day_ = static_cast<std::int32_t>(day);
        jumped = true;
      }
      break;
    }
    default: {
      const std::int64_t unit = r.frequency == Frequency::kHourly     ? 3600
                                : r.frequency == Frequency::kMinutely ? 60
                                                                      : 1;
      const std::int64_t step = unit * r.interval;
      const std::int64_t origin = start_.Seconds();
      const std::int64_t to = std::max(moment.Seconds(), origin);
      const std::int64_t at = origin + (to - origin) / step * step;
      if (at > second_) {
        second_ = at;
        jumped = true;
      }
      break;
    }
  }
  if (jumped) {
    buffer_.clear();
    next_ = 0;
    filled_ = false;
  }
}

}  // namespace trevalda
