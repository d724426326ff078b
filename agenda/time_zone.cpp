// Time zones: TZif data (RFC 8536) with its POSIX TZ footer, VTIMEZONE
// observances (RFC 5545 3.6.5) and the conversions between them.
//
// Every zone is kept in one form: a list of explicit transitions (from a
// TZif file) and a set of onset rules evaluated on demand (the VTIMEZONE
// observances, or the footer's two yearly changes after the last explicit
// transition). The offset at an instant is the one set by the latest
// transition or onset at or before it.
#include "agenda/time_zone.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <mutex>

#include "agenda/zone_data.h"
#include "text/shown_text.h"

namespace trevalda {

// One source of onsets: an observance, or one half of a POSIX TZ rule.
struct Onsets {
  int offsetFrom = 0;
  int offsetTo = 0;
  std::int64_t startUtc = 0;  // no onset before this instant
  bool startIsOnset = true;   // DTSTART is itself an onset
  int startYear = 1;
  int timeOfDay = 0;  // seconds after local midnight; may lie outside one day
  int defaultMonth = 1;
  int defaultDay = 1;
  bool repeats = false;  // `rule` gives onsets after the start
  ZoneRule rule;
  std::int64_t untilUtc = std::numeric_limits<std::int64_t>::max();
  std::vector<std::int64_t> rdatesUtc;  // sorted
};

struct TimeZone::Data {
  std::string name;
  int initialOffset = 0;            // before the first transition or onset
  std::vector<std::int64_t> times;  // explicit transitions, ascending
  std::vector<int> offsets;         // the offset from each transition on
  std::vector<Onsets> rules;
};

namespace {

constexpr std::int64_t kDay = 86400;
// How many years back an onset is looked for: every yearly pattern that
// occurs at all recurs well within this.
constexpr int kLookbackYears = 400;
// The list sizes a zone's RRULE or RDATE may have.
constexpr std::size_t kMaxListItems = 400;
constexpr std::size_t kMaxZoneNameBytes = 64;

// Days from 1970-01-01 to a proleptic Gregorian date (any month and day
// counts on from the month's start).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Civil {
  std::int64_t year;
  int month;
  int day;
};

Civil CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (m <= 2), m, d};
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The span of instants the conversions work in: the years 1 to 9999, a day
// of margin either side for the offsets.
const std::int64_t kMinSeconds = DaysFromCivil(1, 1, 2) * kDay;
const std::int64_t kMaxSeconds = DaysFromCivil(9999, 12, 30) * kDay;

std::int64_t Clamp(std::int64_t seconds) { return std::clamp(seconds, kMinSeconds, kMaxSeconds); }

int YearOfSeconds(std::int64_t seconds) {
  return static_cast<int>(CivilFromDays(FloorDiv(Clamp(seconds), kDay)).year);
}

// ---------------------------------------------------------------------------
// Onset rules

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int MonthLength(int y, int m) {
  static constexpr std::array<int, 12> kLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kLengths[m - 1];
}

// 1 = Monday ... 7 = Sunday; 1970-01-01 was a Thursday.
int WeekdayOfDays(std::int64_t days) { return static_cast<int>((days % 7 + 7 + 3) % 7) + 1; }

bool Contains(const std::vector<int>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

bool MatchesSigned(const std::vector<int>& list, int value, int length) {
  for (int item : list) {
    if (item == value || (item < 0 && length + 1 + item == value)) return true;
  }
  return false;
}

// Whether the rule falls on day `d` of month `m` of year `y` (the general
// case: any mix of BYMONTHDAY, BYYEARDAY and BYDAY).
bool RuleMatches(const Onsets& o, int y, int m, int d, std::int64_t days, std::int64_t yearStart) {
  const ZoneRule& r = o.rule;
  const int monthLength = MonthLength(y, m);
  if (!r.monthDays.empty() && !MatchesSigned(r.monthDays, d, monthLength)) return false;
  const int yearLength = IsLeap(y) ? 366 : 365;
  const int yearDay = static_cast<int>(days - yearStart) + 1;
  if (!r.yearDays.empty() && !MatchesSigned(r.yearDays, yearDay, yearLength)) return false;
  if (r.weekdays.empty()) return true;
  const int weekday = WeekdayOfDays(days);
  const bool inMonth = !r.months.empty();
  const int position = inMonth ? d : yearDay;
  const int length = inMonth ? monthLength : yearLength;
  for (const ZoneWeekday& w : r.weekdays) {
    if (w.weekday != weekday) continue;
    if (w.ordinal == 0) return true;
    if (w.ordinal > 0 && (position - 1) / 7 + 1 == w.ordinal) return true;
    if (w.ordinal < 0 && (length - position) / 7 + 1 == -w.ordinal) return true;
  }
  return false;
}

// The days of month `m` of year `y` the rule falls on, as flags 1..31;
// false when there are none. The common shapes (a day of the month; the nth
// weekday of a named month) are worked out directly, the rest by testing
// each day.
using MonthHits = std::array<bool, 32>;

bool MonthDays(const Onsets& o, int y, int m, MonthHits& hits) {
  const ZoneRule& r = o.rule;
  const bool dayParts = !r.monthDays.empty() || !r.yearDays.empty() || !r.weekdays.empty();
  if (!r.months.empty() ? !Contains(r.months, m) : (!dayParts && m != o.defaultMonth)) {
    return false;
  }
  hits.fill(false);
  const int length = MonthLength(y, m);
  if (!dayParts) {
    if (o.defaultDay > length) return false;
    hits[o.defaultDay] = true;
    return true;
  }
  const std::int64_t first = DaysFromCivil(y, m, 1);
  const bool ordinalsOnly = r.monthDays.empty() && r.yearDays.empty() && !r.months.empty() &&
                            std::all_of(r.weekdays.begin(), r.weekdays.end(),
                                        [](const ZoneWeekday& w) { return w.ordinal != 0; });
  if (ordinalsOnly) {
    const int firstWeekday = WeekdayOfDays(first);
    const int lastWeekday = WeekdayOfDays(first + length - 1);
    for (const ZoneWeekday& w : r.weekdays) {
      const int day = w.ordinal > 0
                          ? 1 + (w.weekday - firstWeekday + 7) % 7 + 7 * (w.ordinal - 1)
                          : length - (lastWeekday - w.weekday + 7) % 7 + 7 * (w.ordinal + 1);
      if (day >= 1 && day <= length) hits[day] = true;
    }
    return true;
  }
  const std::int64_t yearStart = DaysFromCivil(y, 1, 1);
  for (int d = 1; d <= length; ++d) hits[d] = RuleMatches(o, y, m, d, first + d - 1, yearStart);
  return true;
}

std::int64_t OnsetUtc(const Onsets& o, std::int64_t days) {
  return days * kDay + o.timeOfDay - o.offsetFrom;
}

bool YearInStep(const Onsets& o, int y) {
  return y >= o.startYear && (y - o.startYear) % o.rule.interval == 0;
}

// The rule's latest onset of year `y` in [startUtc, limit].
std::optional<std::int64_t> LatestInYear(const Onsets& o, int y, std::int64_t limit) {
  MonthHits hits;
  for (int m = 12; m >= 1; --m) {
    if (!MonthDays(o, y, m, hits)) continue;
    const std::int64_t first = DaysFromCivil(y, m, 1);
    for (int d = 31; d >= 1; --d) {
      if (!hits[d]) continue;
      const std::int64_t utc = OnsetUtc(o, first + d - 1);
      if (utc <= limit && utc >= o.startUtc) return utc;
    }
  }
  return std::nullopt;
}

// The rule's onsets of year `y` after `after`, ascending, into `out`.
void OnsetsOfYear(const Onsets& o, int y, std::int64_t after, std::vector<std::int64_t>& out) {
  MonthHits hits;
  for (int m = 1; m <= 12; ++m) {
    if (!MonthDays(o, y, m, hits)) continue;
    const std::int64_t first = DaysFromCivil(y, m, 1);
    for (int d = 1; d <= 31; ++d) {
      if (!hits[d]) continue;
      const std::int64_t utc = OnsetUtc(o, first + d - 1);
      if (utc > after) out.push_back(utc);
    }
  }
}

// The latest onset at or before `t`.
std::optional<std::int64_t> LatestOnset(const Onsets& o, std::int64_t t) {
  std::optional<std::int64_t> best;
  const auto rdate = std::upper_bound(o.rdatesUtc.begin(), o.rdatesUtc.end(), t);
  if (rdate != o.rdatesUtc.begin()) best = *(rdate - 1);
  if (t < o.startUtc) return best;
  if (o.startIsOnset && (!best || o.startUtc > *best)) best = o.startUtc;
  const std::int64_t limit = std::min(t, o.untilUtc);
  if (!o.repeats || limit < o.startUtc) return best;
  // An onset of day D is at or before `limit` exactly when D is at or
  // before the day of limit + offsetFrom - timeOfDay: no later year can hold one.
  const int top = YearOfSeconds(limit + o.offsetFrom - o.timeOfDay);
  const int bottom = std::max(o.startYear, top - kLookbackYears);
  for (int y = top; y >= bottom; --y) {
    if (!YearInStep(o, y)) continue;
    if (const auto onset = LatestInYear(o, y, limit)) {
      if (!best || *onset > *best) best = onset;
      break;
    }
  }
  return best;
}

// Fixes `repeats` and, for a COUNT, `untilUtc`: walks the years from the
// start until the count is reached (DTSTART is the first), or finds that
// the rule gives no onset at all.
void SettleRepetitions(Onsets& o) {
  o.repeats = false;
  const long long wanted = o.rule.count;
  if (wanted == 1 && o.startIsOnset) return;
  long long seen = o.startIsOnset ? 1 : 0;
  std::vector<std::int64_t> onsets;
  int emptyYears = 0;
  for (int y = o.startYear; y <= 9999; y += o.rule.interval) {
    onsets.clear();
    OnsetsOfYear(o, y, o.startIsOnset ? o.startUtc : o.startUtc - 1, onsets);
    if (onsets.empty()) {
      emptyYears += o.rule.interval;
      if (!o.repeats && emptyYears > kLookbackYears) return;
      continue;
    }
    o.repeats = true;
    if (wanted == 0) return;
    for (std::int64_t onset : onsets) {
      if (++seen >= wanted) {
        o.untilUtc = std::min(o.untilUtc, onset);
        return;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Parsing helpers

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<int> Number(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<int> SignedNumber(std::string_view text, std::size_t maxDigits) {
  int sign = 1;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    sign = text[0] == '-' ? -1 : 1;
    text.remove_prefix(1);
  }
  const auto value = Number(text, maxDigits);
  if (!value) return std::nullopt;
  return sign * *value;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// "19970714T173000" with an optional "Z", or "19970714".
struct DateTimeValue {
  LocalDateTime local;
  bool utc = false;
};

std::optional<DateTimeValue> ParseDateTime(std::string_view text) {
  DateTimeValue value;
  if (text.size() < 8) return std::nullopt;
  const auto year = Number(text.substr(0, 4), 4);
  const auto month = Number(text.substr(4, 2), 2);
  const auto day = Number(text.substr(6, 2), 2);
  if (!year || !month || !day) return std::nullopt;
  value.local.date = {static_cast<std::int16_t>(*day), static_cast<std::int16_t>(*month),
                      static_cast<std::int16_t>(*year)};
  if (!IsValidPageDate(value.local.date)) return std::nullopt;
  text.remove_prefix(8);
  if (text.empty()) return value;
  if (text.size() < 7 || text[0] != 'T') return std::nullopt;
  const auto hour = Number(text.substr(1, 2), 2);
  const auto minute = Number(text.substr(3, 2), 2);
  const auto second = Number(text.substr(5, 2), 2);
  if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 60) {
    return std::nullopt;
  }
  value.local.secondOfDay = *hour * 3600 + *minute * 60 + std::min(*second, 59);
  text.remove_prefix(7);
  if (text == "Z" || text == "z") {
    value.utc = true;
    return value;
  }
  if (!text.empty()) return std::nullopt;
  return value;
}

bool Refuse(std::string& why, std::string reason) {
  why = std::move(reason);
  return false;
}

std::nullopt_t NoObservance(std::string& why, std::string reason) {
  why = std::move(reason);
  return std::nullopt;
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted += ShownText(text);
  quoted += '"';
  return quoted;
}

std::optional<ZoneWeekday> ParseWeekday(std::string_view text) {
  static constexpr std::array<std::string_view, 7> kCodes = {"MO", "TU", "WE", "TH",
                                                             "FR", "SA", "SU"};
  if (text.size() < 2) return std::nullopt;
  const std::string code = Upper(text.substr(text.size() - 2));
  ZoneWeekday weekday;
  const auto found = std::find(kCodes.begin(), kCodes.end(), code);
  if (found == kCodes.end()) return std::nullopt;
  weekday.weekday = static_cast<int>(found - kCodes.begin()) + 1;
  const std::string_view ordinal = text.substr(0, text.size() - 2);
  if (ordinal.empty()) return weekday;
  const auto value = SignedNumber(ordinal, 2);
  if (!value || *value == 0 || *value > 53 || *value < -53) return std::nullopt;
  weekday.ordinal = *value;
  return weekday;
}

bool ParseIntList(std::string_view text, int low, int high, std::vector<int>& out) {
  const std::vector<std::string_view> items = Split(text, ',');
  if (items.size() > kMaxListItems) return false;
  for (std::string_view item : items) {
    const auto value = SignedNumber(item, 3);
    if (!value || *value == 0 || *value < low || *value > high) return false;
    out.push_back(*value);
  }
  return true;
}

// One NAME=VALUE part of an RRULE into `rule`; false (and `why`) when it
// is malformed or not one a zone rule may have.
bool ParseRulePart(std::string_view name, std::string_view value, int offsetFrom, ZoneRule& rule,
                   bool& haveUntil, std::string& why) {
  const std::string bad =
      "RRULE de zona no válida: " + Quoted(std::string(name) + "=" + std::string(value));
  if (name == "FREQ") {
    if (Upper(value) != "YEARLY") {
      return Refuse(why, "RRULE de zona no admitida: " + Quoted("FREQ=" + std::string(value)) +
                             " (solo FREQ=YEARLY)");
    }
    return true;
  }
  if (name == "INTERVAL") {
    const auto interval = Number(value, 4);
    if (!interval || *interval < 1) return Refuse(why, bad);
    rule.interval = *interval;
    return true;
  }
  if (name == "COUNT") {
    const auto count = Number(value, 6);
    if (!count || *count < 1) return Refuse(why, bad);
    rule.count = *count;
    return true;
  }
  if (name == "UNTIL") {
    const auto until = ParseDateTime(value);
    if (!until) return Refuse(why, bad);
    std::int64_t seconds = LocalSeconds(until->local);
    if (value.size() == 8) seconds += kDay - 1;  // a date: onsets of that day still count
    rule.untilUtc = until->utc ? seconds : seconds - offsetFrom;
    haveUntil = true;
    return true;
  }
  if (name == "BYMONTH") return ParseIntList(value, 1, 12, rule.months) || Refuse(why, bad);
  if (name == "BYMONTHDAY") return ParseIntList(value, -31, 31, rule.monthDays) || Refuse(why, bad);
  if (name == "BYYEARDAY") return ParseIntList(value, -366, 366, rule.yearDays) || Refuse(why, bad);
  if (name == "BYDAY") {
    const std::vector<std::string_view> items = Split(value, ',');
    if (items.size() > kMaxListItems) return Refuse(why, bad);
    for (std::string_view item : items) {
      const auto weekday = ParseWeekday(item);
      if (!weekday) return Refuse(why, bad);
      rule.weekdays.push_back(*weekday);
    }
    return true;
  }
  if (name == "WKST") return ParseWeekday(value).has_value() || Refuse(why, bad);
  return Refuse(why, "RRULE de zona no admitida: " + Quoted(name) +
                         " (solo FREQ=YEARLY con INTERVAL, BYMONTH, BYDAY, BYMONTHDAY, "
                         "BYYEARDAY, UNTIL o COUNT)");
}

std::optional<ZoneRule> ParseZoneRule(std::string_view text, int offsetFrom, std::string& why) {
  ZoneRule rule;
  std::vector<std::string> seen;
  bool haveFreq = false;
  bool haveUntil = false;
  for (std::string_view part : Split(text, ';')) {
    const std::size_t equals = part.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      why = "RRULE de zona no válida: " + Quoted(text);
      return std::nullopt;
    }
    const std::string name = Upper(part.substr(0, equals));
    if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
      why = "RRULE de zona con " + Quoted(name) + " repetido: " + Quoted(text);
      return std::nullopt;
    }
    seen.push_back(name);
    haveFreq = haveFreq || name == "FREQ";
    if (!ParseRulePart(name, part.substr(equals + 1), offsetFrom, rule, haveUntil, why)) {
      return std::nullopt;
    }
  }
  if (!haveFreq) {
    why = "RRULE de zona sin FREQ: " + Quoted(text);
    return std::nullopt;
  }
  if (haveUntil && rule.count > 0) {
    why = "RRULE de zona con UNTIL y COUNT a la vez: " + Quoted(text);
    return std::nullopt;
  }
  return rule;
}

// ---------------------------------------------------------------------------
// TZif files (RFC 8536) and their POSIX TZ footer

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  bool Has(std::size_t count) const { return bytes_.size() - position_ >= count; }
  std::size_t Position() const { return position_; }
  void Skip(std::size_t count) { position_ += count; }
  std::uint64_t Unsigned(std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      value = (value << 8) | static_cast<unsigned char>(bytes_[position_++]);
    }
    return value;
  }
  // A two's-complement value (C++20 converts and shifts it exactly).
  std::int64_t Signed(std::size_t width) {
    const auto shift = static_cast<unsigned>(64 - width * 8);
    return static_cast<std::int64_t>(Unsigned(width) << shift) >> shift;
  }
  std::string_view Rest() const { return bytes_.substr(position_); }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

struct TzifCounts {
  std::uint64_t isut, isstd, leap, time, type, chars;
};

bool ReadHeader(ByteReader& in, char& version, TzifCounts& counts) {
  if (!in.Has(44) || in.Rest().substr(0, 4) != "TZif") return false;
  version = in.Rest()[4];
  in.Skip(20);
  counts = {in.Unsigned(4), in.Unsigned(4), in.Unsigned(4),
            in.Unsigned(4), in.Unsigned(4), in.Unsigned(4)};
  return true;
}

std::uint64_t BlockSize(const TzifCounts& c, std::uint64_t timeWidth) {
  return c.time * (timeWidth + 1) + c.type * 6 + c.chars + c.leap * (timeWidth + 4) + c.isstd +
         c.isut;
}

// A plausible UTC offset: RFC 8536 bounds it to -25:59:59..+25:59:59.
bool PlausibleOffset(std::int64_t offset) { return offset > -26 * 3600 && offset < 26 * 3600; }

bool ReadBlock(ByteReader& in, const TzifCounts& c, std::size_t timeWidth, TimeZone::Data& zone) {
  if (c.type == 0 || c.type > 256 || c.leap != 0 || c.chars == 0 ||
      !in.Has(BlockSize(c, timeWidth))) {
    return false;
  }
  std::vector<std::int64_t> times(c.time);
  for (auto& time : times) time = in.Signed(timeWidth);
  std::vector<std::size_t> typeOf(c.time);
  for (auto& type : typeOf) {
    type = static_cast<std::size_t>(in.Unsigned(1));
    if (type >= c.type) return false;
  }
  std::vector<int> offsets(c.type);
  for (auto& offset : offsets) {
    const std::int64_t value = in.Signed(4);
    if (!PlausibleOffset(value)) return false;
    offset = static_cast<int>(value);
    in.Skip(2);  // isdst, abbreviation index
  }
  in.Skip(c.chars + c.isstd + c.isut);
  for (std::size_t i = 1; i < times.size(); ++i) {
    if (times[i] <= times[i - 1]) return false;
  }
  zone.initialOffset = offsets[0];
  zone.times = std::move(times);
  zone.offsets.reserve(typeOf.size());
  for (std::size_t type : typeOf) zone.offsets.push_back(offsets[type]);
  return true;
}

// A POSIX TZ string: "CET-1CEST,M3.5.0,M10.5.0/3", "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0".
class PosixReader {
 public:
  explicit PosixReader(std::string_view text) : text_(text) {}
  bool AtEnd() const { return i_ == text_.size(); }
  bool Take(char c) {
    if (i_ < text_.size() && text_[i_] == c) return ++i_, true;
    return false;
  }
  bool Name() {
    if (Take('<')) {
      const std::size_t close = text_.find('>', i_);
      if (close == std::string_view::npos || close == i_) return false;
      i_ = close + 1;
      return true;
    }
    const std::size_t start = i_;
    while (i_ < text_.size() && ((text_[i_] | 0x20) >= 'a' && (text_[i_] | 0x20) <= 'z')) ++i_;
    return i_ - start >= 3;
  }
  bool NextIsOffset() const {
    return i_ < text_.size() && (IsDigit(text_[i_]) || text_[i_] == '+' || text_[i_] == '-');
  }
  // [+-]hh[:mm[:ss]] as seconds; hours up to `maxHours`.
  std::optional<int> Time(int maxHours) {
    int sign = 1;
    if (Take('-')) {
      sign = -1;
    } else {
      Take('+');
    }
    const auto hours = Digits(3);
    if (!hours || *hours > maxHours) return std::nullopt;
    int seconds = *hours * 3600;
    for (int unit : {60, 1}) {
      if (!Take(':')) break;
      const auto part = Digits(2);
      if (!part || *part > 59) return std::nullopt;
      seconds += *part * unit;
    }
    return sign * seconds;
  }
  std::optional<int> Digits(std::size_t maxDigits) {
    const std::size_t start = i_;
    while (i_ < text_.size() && IsDigit(text_[i_]) && i_ - start < maxDigits) ++i_;
    return Number(text_.substr(start, i_ - start), maxDigits);
  }

 private:
  std::string_view text_;
  std::size_t i_ = 0;
};

// One change of a POSIX rule ("M3.5.0/3", "J60", "59/2") as an onset rule.
bool ReadPosixChange(PosixReader& in, Onsets& o) {
  static constexpr std::array<int, 12> kCumulative = {0,   31,  59,  90,  120, 151,
                                                      181, 212, 243, 273, 304, 334};
  if (in.Take('M')) {
    const auto month = in.Digits(2);
    if (!month || *month < 1 || *month > 12 || !in.Take('.')) return false;
    const auto week = in.Digits(1);
    if (!week || *week < 1 || *week > 5 || !in.Take('.')) return false;
    const auto day = in.Digits(1);
    if (!day || *day > 6) return false;
    o.rule.months = {*month};
    o.rule.weekdays = {{*week == 5 ? -1 : *week, *day == 0 ? 7 : *day}};
  } else if (in.Take('J')) {
    const auto day = in.Digits(3);
    if (!day || *day < 1 || *day > 365) return false;
    int month = 12;
    while (kCumulative[month - 1] >= *day) --month;
    o.rule.months = {month};
    o.rule.monthDays = {*day - kCumulative[month - 1]};
  } else {
    const auto day = in.Digits(3);
    if (!day || *day > 365) return false;
    o.rule.yearDays = {*day + 1};
  }
  o.timeOfDay = 2 * 3600;
  if (in.Take('/')) {
    const auto time = in.Time(167);
    if (!time) return false;
    o.timeOfDay = *time;
  }
  return true;
}

// The footer's changes after the last explicit transition, as two onset
// rules (none for a zone without daylight time).
bool ReadPosixFooter(std::string_view text, TimeZone::Data& zone) {
  PosixReader in(text);
  if (in.AtEnd()) return true;
  if (!in.Name()) return false;
  const auto standard = in.Time(24);
  if (!standard) return false;
  if (in.AtEnd()) {
    if (zone.times.empty()) zone.initialOffset = -*standard;
    return true;
  }
  if (!in.Name()) return false;
  int daylight = -*standard + 3600;
  if (in.NextIsOffset()) {
    const auto value = in.Time(24);
    if (!value) return false;
    daylight = -*value;
  }
  Onsets start;
  Onsets end;
  if (in.AtEnd()) {
    PosixReader usRule("M3.2.0,M11.1.0");
    if (!ReadPosixChange(usRule, start) || !usRule.Take(',') || !ReadPosixChange(usRule, end)) {
      return false;
    }
  } else if (!in.Take(',') || !ReadPosixChange(in, start) || !in.Take(',') ||
             !ReadPosixChange(in, end) || !in.AtEnd()) {
    return false;
  }
  const std::int64_t after = zone.times.empty() ? kMinSeconds : zone.times.back() + 1;
  for (Onsets* o : {&start, &end}) {
    o->startUtc = after;
    o->startIsOnset = false;
    o->startYear = std::max(1, YearOfSeconds(after) - 1);
  }
  start.offsetFrom = end.offsetTo = -*standard;
  start.offsetTo = end.offsetFrom = daylight;
  start.repeats = end.repeats = true;
  zone.rules = {std::move(start), std::move(end)};
  return true;
}

std::optional<TimeZone::Data> ParseTzif(std::string_view bytes) {
  ByteReader in(bytes);
  char version = 0;
  TzifCounts counts{};
  if (!ReadHeader(in, version, counts)) return std::nullopt;
  TimeZone::Data zone;
  if (version == '\0') {
    if (!ReadBlock(in, counts, 4, zone)) return std::nullopt;
    return zone;
  }
  const std::uint64_t skip = BlockSize(counts, 4);
  if (!in.Has(skip)) return std::nullopt;
  in.Skip(skip);
  if (!ReadHeader(in, version, counts) || !ReadBlock(in, counts, 8, zone)) return std::nullopt;
  const std::string_view rest = in.Rest();
  if (rest.size() < 2 || rest[0] != '\n') return std::nullopt;
  const std::size_t close = rest.find('\n', 1);
  if (close == std::string_view::npos) return std::nullopt;
  if (!ReadPosixFooter(rest.substr(1, close - 1), zone)) return std::nullopt;
  return zone;
}

// ---------------------------------------------------------------------------
// Names

bool AcceptableName(std::string_view name) {
  if (name.empty() || name.size() > kMaxZoneNameBytes) return false;
  for (char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !IsDigit(c) && c != '/' && c != '_' && c != '+' && c != '-') return false;
  }
  for (std::string_view part : Split(name, '/')) {
    if (part.empty() || part.front() == '-') return false;
  }
  const std::string_view first = name.substr(0, name.find('/'));
  return first != "posix" && first != "right" && name != "localtime" && name != "posixrules";
}

bool IsUtcName(std::string_view name) {
  return name == "UTC" || name == "Etc/UTC" || name == "GMT";
}

}  // namespace

// ---------------------------------------------------------------------------

std::int64_t LocalSeconds(const LocalDateTime& local) {
  return DaysFromCivil(local.date.year, local.date.month, local.date.day) * kDay +
         local.secondOfDay;
}

LocalDateTime LocalFromSeconds(std::int64_t seconds) {
  seconds = Clamp(seconds);
  const std::int64_t days = FloorDiv(seconds, kDay);
  const Civil civil = CivilFromDays(days);
  LocalDateTime local;
  local.date = {static_cast<std::int16_t>(civil.day), static_cast<std::int16_t>(civil.month),
                static_cast<std::int16_t>(civil.year)};
  local.secondOfDay = static_cast<int>(seconds - days * kDay);
  return local;
}

std::optional<int> ParseUtcOffset(std::string_view text) {
  if (text.size() != 5 && text.size() != 7) return std::nullopt;
  if (text[0] != '+' && text[0] != '-') return std::nullopt;
  const auto hours = Number(text.substr(1, 2), 2);
  const auto minutes = Number(text.substr(3, 2), 2);
  const auto seconds = text.size() == 7 ? Number(text.substr(5, 2), 2) : std::optional<int>(0);
  if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59) {
    return std::nullopt;
  }
  const int value = *hours * 3600 + *minutes * 60 + *seconds;
  return text[0] == '-' ? -value : value;
}

std::optional<ZoneObservance> ParseZoneObservance(const ZoneObservanceText& text,
                                                  std::string& why) {
  ZoneObservance observance;
  observance.daylight = text.daylight;
  const auto from = ParseUtcOffset(text.offsetFrom);
  if (!from) return NoObservance(why, "TZOFFSETFROM no válido: " + Quoted(text.offsetFrom));
  const auto to = ParseUtcOffset(text.offsetTo);
  if (!to) return NoObservance(why, "TZOFFSETTO no válido: " + Quoted(text.offsetTo));
  observance.offsetFrom = *from;
  observance.offsetTo = *to;
  const auto start = ParseDateTime(text.start);
  if (!start) return NoObservance(why, "DTSTART de zona no válido: " + Quoted(text.start));
  observance.start =
      start->utc ? LocalFromSeconds(LocalSeconds(start->local) + *from) : start->local;
  if (text.rules.size() > 1) {
    return NoObservance(why, "la zona tiene " + std::to_string(text.rules.size()) +
                                 " RRULE en un mismo bloque (se admite una)");
  }
  if (!text.rules.empty()) {
    observance.rule = ParseZoneRule(text.rules.front(), *from, why);
    if (!observance.rule) return std::nullopt;
  }
  for (std::string_view line : text.rdates) {
    for (std::string_view item : Split(line, ',')) {
      const auto value = ParseDateTime(item.substr(0, item.find('/')));
      if (!value) return NoObservance(why, "RDATE de zona no válido: " + Quoted(item));
      if (observance.rdates.size() == kMaxListItems) {
        return NoObservance(why,
                            "la zona tiene más de " + std::to_string(kMaxListItems) + " RDATE");
      }
      observance.rdates.push_back(value->utc ? LocalFromSeconds(LocalSeconds(value->local) + *from)
                                             : value->local);
    }
  }
  return observance;
}

TimeZone TimeZone::Utc() {
  auto data = std::make_shared<Data>();
  data->name = "UTC";
  return TimeZone(std::move(data));
}

std::optional<std::string_view> IanaNameOfWindowsZone(std::string_view windowsName) {
  for (std::size_t i = 0; i < zone_data::kWindowsZoneNameCount; ++i) {
    const zone_data::WindowsZoneName& entry = zone_data::kWindowsZoneNames[i];
    if (entry.windowsName == windowsName) return std::string_view(entry.ianaName);
  }
  return std::nullopt;
}

std::optional<TimeZone> TimeZone::FromName(std::string_view name) {
  if (IsUtcName(name)) return Utc();
  if (const auto iana = IanaNameOfWindowsZone(name)) {
    if (IsUtcName(*iana)) return Utc();
    name = *iana;
  }
  if (!AcceptableName(name)) return std::nullopt;
  // Zones read once are kept for the run: at most the few hundred the tz
  // database has, since only names it knows are kept.
  static std::mutex mutex;
  static std::map<std::string, TimeZone, std::less<>> known;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto found = known.find(name); found != known.end()) return found->second;
  }
  const std::optional<std::string> bytes = zone_data::ReadZoneFile(name);
  if (!bytes) return std::nullopt;
  std::optional<TimeZone> zone = FromTzif(name, *bytes);
  if (zone) {
    const std::lock_guard<std::mutex> lock(mutex);
    known.emplace(std::string(name), *zone);
  }
  return zone;
}

std::optional<TimeZone> TimeZone::FromTzif(std::string_view name, std::string_view bytes) {
  std::optional<Data> zone = ParseTzif(bytes);
  if (!zone) return std::nullopt;
  zone->name = name;
  return TimeZone(std::make_shared<Data>(std::move(*zone)));
}

TimeZone TimeZone::FromObservances(std::string_view tzid, std::vector<ZoneObservance> observances) {
  auto data = std::make_shared<Data>();
  data->name = tzid;
  std::int64_t earliest = std::numeric_limits<std::int64_t>::max();
  for (ZoneObservance& observance : observances) {
    if (!IsValidPageDate(observance.start.date)) continue;
    Onsets o;
    o.offsetFrom = observance.offsetFrom;
    o.offsetTo = observance.offsetTo;
    o.startUtc = Clamp(LocalSeconds(observance.start) - o.offsetFrom);
    o.startYear = observance.start.date.year;
    o.timeOfDay = observance.start.secondOfDay;
    o.defaultMonth = observance.start.date.month;
    o.defaultDay = observance.start.date.day;
    for (const LocalDateTime& rdate : observance.rdates) {
      if (IsValidPageDate(rdate.date)) o.rdatesUtc.push_back(LocalSeconds(rdate) - o.offsetFrom);
    }
    std::sort(o.rdatesUtc.begin(), o.rdatesUtc.end());
    if (observance.rule) {
      o.rule = std::move(*observance.rule);
      o.rule.interval = std::max(1, o.rule.interval);
      if (o.rule.untilUtc) o.untilUtc = *o.rule.untilUtc;
      SettleRepetitions(o);
    }
    std::int64_t first = o.startUtc;
    if (!o.rdatesUtc.empty()) first = std::min(first, o.rdatesUtc.front());
    if (first < earliest) {
      earliest = first;
      data->initialOffset = o.offsetFrom;
    }
    data->rules.push_back(std::move(o));
  }
  return TimeZone(std::move(data));
}

namespace {

// The offset in force at `t` (already clamped) and the change it comes
// from (nullopt before the first one).
struct OffsetReading {
  int offset = 0;
  std::optional<std::int64_t> since;
  friend bool operator==(const OffsetReading&, const OffsetReading&) = default;
};

OffsetReading ReadOffset(const TimeZone::Data& zone, std::int64_t t) {
  OffsetReading reading{zone.initialOffset, std::nullopt};
  const auto next = std::upper_bound(zone.times.begin(), zone.times.end(), t);
  if (next != zone.times.begin()) {
    reading.since = *(next - 1);
    reading.offset = zone.offsets[static_cast<std::size_t>(next - zone.times.begin()) - 1];
  }
  for (const Onsets& rule : zone.rules) {
    const auto onset = LatestOnset(rule, t);
    if (onset && (!reading.since || *onset > *reading.since)) {
      reading.since = onset;
      reading.offset = rule.offsetTo;
    }
  }
  return reading;
}

}  // namespace

int TimeZone::OffsetSecondsAt(std::int64_t utcSeconds) const {
  return ReadOffset(*data_, Clamp(utcSeconds)).offset;
}

TimeZone::SteadyOffset TimeZone::SteadyOffsetAt(std::int64_t utcSeconds) const {
  const std::int64_t lowest = kMinSeconds + 2 * kDay;
  const std::int64_t highest = kMaxSeconds - 2 * kDay;
  SteadyOffset steady;
  steady.offset = OffsetSecondsAt(utcSeconds);
  if (utcSeconds < lowest || utcSeconds > highest) return steady;
  const OffsetReading reading = ReadOffset(*data_, utcSeconds);
  steady.offset = reading.offset;
  steady.from = std::max(lowest, reading.since.value_or(lowest));
  steady.until = utcSeconds;
  // Further on, as long as the same change is the one in force (a later
  // change would be the latest one there).
  for (std::int64_t step = kDay; step <= 512 * kDay && steady.until < highest; step *= 2) {
    const std::int64_t probe = std::min(highest, utcSeconds + step);
    if (!(ReadOffset(*data_, probe) == reading)) break;
    steady.until = probe;
  }
  return steady;
}

std::int64_t TimeZone::ToUtc(const LocalDateTime& local) const {
  // Offsets change at most once within a day and a bit either side of the
  // wall-clock time: read them there, then keep the readings that agree.
  constexpr std::int64_t kReach = 30 * 3600;
  const std::int64_t wall = Clamp(LocalSeconds(local));
  const int before = OffsetSecondsAt(wall - kReach);
  const int after = OffsetSecondsAt(wall + kReach);
  const std::int64_t early = wall - before;
  const std::int64_t late = wall - after;
  const bool earlyHolds = OffsetSecondsAt(early) == before;
  const bool lateHolds = OffsetSecondsAt(late) == after;
  if (earlyHolds && lateHolds) return std::min(early, late);
  if (lateHolds) return late;
  return early;  // it holds, or the time falls in a gap: the offset before it
}

LocalDateTime TimeZone::ToLocal(std::int64_t utcSeconds) const {
  const std::int64_t t = Clamp(utcSeconds);
  return LocalFromSeconds(t + OffsetSecondsAt(t));
}

const std::string& TimeZone::Name() const { return data_->name; }

}  // namespace trevalda
