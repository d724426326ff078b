#include "agenda/agenda.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <mutex>
#include <optional>

#include "calendar/holidays.h"

namespace trevalda {
namespace {

// Repeating events are placed a span of page days at a time. The first
// span is short; each next one is sized from the occurrences a day held so
// far, to hold about kHitsWanted of them (at most a year, at least a week
// and a day), so memory follows the calendar's density, not the range.
// This many spans are kept for the pages still to ask (parallel workers
// draw nearby days at once).
constexpr std::int32_t kLongestSpan = 366;
constexpr std::int32_t kShortestSpan = 8;
constexpr std::size_t kHitsWanted = std::size_t{1} << 18;
constexpr std::size_t kSpansKept = 3;

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
    case AgendaRule::Kind::kEvent:
      break;
  }
  return std::nullopt;
}

TimeZone PeninsularSpain() { return TimeZone::FromName("Europe/Madrid").value_or(TimeZone::Utc()); }

}  // namespace

std::string OccurrenceText(const PlacedOccurrence& occurrence) {
  const std::string& text = *occurrence.text;
  if (occurrence.second < 0) return text;
  const int hour = occurrence.second / 3600 % 100;
  const int minute = occurrence.second / 60 % 60;
  std::string shown;
  shown.reserve(6 + text.size());
  shown.push_back(static_cast<char>('0' + hour / 10));
  shown.push_back(static_cast<char>('0' + hour % 10));
  shown.push_back(':');
  shown.push_back(static_cast<char>('0' + minute / 10));
  shown.push_back(static_cast<char>('0' + minute % 10));
  shown.push_back(' ');
  shown.append(text);
  return shown;
}

bool RuleCovers(const AgendaRule& rule, const PageDate& date, const TimeZone& zone) {
  if (!IsValidPageDate(date)) return false;
  const std::int32_t serial = DaySerial(date);
  if (rule.kind == AgendaRule::Kind::kEvent) {
    if (!rule.event) return false;
    EventPlacement placement(*rule.event);
    ZoneClocks clocks;
    std::vector<PlacedOccurrence> placed;
    placement.Place(serial, serial + 1, zone, clocks, placed);
    return !placed.empty();
  }
  // Most rules name one day of the month: a quick no for the other days.
  if (rule.kind != AgendaRule::Kind::kEaster && rule.spanDays <= 1 &&
      (rule.date.day != date.day || rule.date.month != date.month)) {
    return false;
  }
  const std::int32_t span = std::clamp(rule.spanDays, 1, AgendaRule::kMaxSpanDays);
  // An occurrence that starts in the year before may still run into this one.
  for (int year = date.year; year >= date.year - (span > 1 ? 1 : 0); --year) {
    const std::optional<std::int32_t> first = OccurrenceIn(rule, year);
    if (!first || serial < *first || serial - *first >= span) continue;
    if (std::find(rule.skip.begin(), rule.skip.end(), *first) == rule.skip.end()) return true;
  }
  return false;
}

// What the agenda keeps to place calendar events: the events that happen
// once, placed when first asked for; the walks of the repeating ones; and
// the last spans of days placed.
struct Agenda::Placements {
  struct Hit {
    std::int32_t day = 0;
    std::int32_t span = 1;     // the days it covers from `day` (`once` only)
    std::uint32_t rule = 0;    // index in the agenda's rules
    std::int32_t second = -1;  // of the occurrence's day; -1: all day
    const std::string* text = nullptr;

    std::string Text() const { return OccurrenceText({.second = second, .text = text}); }
  };
  struct Span {
    std::int32_t first = 0;
    std::int32_t end = 0;
    std::vector<Hit> hits;  // one a day covered, by day, rule and time
    std::uint64_t used = 0;
  };

  std::mutex mutex;
  bool prepared = false;
  std::vector<Hit> once;  // by day, rule and time
  std::int32_t longestOnce = 1;
  std::vector<std::pair<std::size_t, EventPlacement>> repeating;  // rule index, walk
  std::vector<std::size_t> listed;  // the rules that are not calendar events
  std::vector<std::shared_ptr<Span>> spans;
  std::uint64_t clock = 0;
  std::int32_t spanDays = kShortestSpan;
  ZoneClocks clocks;  // the conversions of the zones met, kept from span to span

  static bool Before(const Hit& a, const Hit& b) {
    if (a.day != b.day) return a.day < b.day;
    if (a.rule != b.rule) return a.rule < b.rule;
    return a.second < b.second;
  }

  void Prepare(const std::vector<AgendaRule>& rules, const TimeZone& zone) {
    if (prepared) return;
    const std::int32_t last = DaySerial({31, 12, 9999});
    for (std::size_t i = 0; i < rules.size(); ++i) {
      const AgendaRule& rule = rules[i];
      if (rule.kind != AgendaRule::Kind::kEvent) listed.push_back(i);
      if (rule.kind != AgendaRule::Kind::kEvent || !rule.event) continue;
      if (rule.event->Repeats() || !rule.event->future.empty()) {
        repeating.emplace_back(i, EventPlacement(*rule.event));
        continue;
      }
      // One occurrence: placed once, over the whole calendar.
      std::vector<PlacedOccurrence> placed;
      EventPlacement(*rule.event)
          .Place(rule.event->start.day - 2, std::min(last, rule.event->start.day + 3), zone, clocks,
                 placed);
      for (const PlacedOccurrence& occurrence : placed) {
        once.push_back({occurrence.day, occurrence.spanDays, static_cast<std::uint32_t>(i),
                        occurrence.second, occurrence.text});
        longestOnce = std::max(longestOnce, occurrence.spanDays);
      }
    }
    std::sort(once.begin(), once.end(), Before);
    prepared = true;
  }

  std::shared_ptr<const Span> SpanHolding(std::int32_t day, const TimeZone& zone) {
    for (const auto& span : spans) {
      if (span->first <= day && day < span->end) {
        span->used = ++clock;
        return span;
      }
    }
    auto span = std::make_shared<Span>();
    span->first = day - day % spanDays;
    span->end = span->first + spanDays;
    // Spans never overlap: one made earlier may hold some of these days.
    for (const auto& other : spans) {
      if (other->end <= day) span->first = std::max(span->first, other->end);
      if (other->first > day) span->end = std::min(span->end, other->first);
    }
    span->used = ++clock;
    // Each rule's occurrences come by day and time and the rules in order:
    // counted out by day, they end up by day, rule and time.
    std::vector<Hit> found;
    std::vector<std::uint32_t> perDay(static_cast<std::size_t>(span->end - span->first) + 1);
    std::vector<PlacedOccurrence> placed;
    for (auto& [index, placement] : repeating) {
      placed.clear();
      placement.Place(span->first, span->end, zone, clocks, placed);
      for (const PlacedOccurrence& occurrence : placed) {
        const std::int32_t from = std::max(occurrence.day, span->first);
        const std::int32_t to = std::min(occurrence.day + occurrence.spanDays, span->end);
        for (std::int32_t d = from; d < to; ++d) {
          found.push_back(
              {d, 1, static_cast<std::uint32_t>(index), occurrence.second, occurrence.text});
          ++perDay[static_cast<std::size_t>(d - span->first) + 1];
        }
      }
    }
    for (std::size_t d = 1; d < perDay.size(); ++d) perDay[d] += perDay[d - 1];
    span->hits.resize(found.size());
    for (const Hit& hit : found) {
      span->hits[perDay[static_cast<std::size_t>(hit.day - span->first)]++] = hit;
    }
    // The next span holds about kHitsWanted occurrences at this density,
    // growing at most twofold at a time.
    const std::size_t days = static_cast<std::size_t>(span->end - span->first);
    const std::size_t fitting = kHitsWanted * days / std::max<std::size_t>(found.size(), 1);
    spanDays = static_cast<std::int32_t>(std::clamp<std::size_t>(
        std::min(fitting, std::size_t{2} * static_cast<std::size_t>(spanDays)), kShortestSpan,
        kLongestSpan));
    if (spans.size() == kSpansKept) {
      spans.erase(std::min_element(spans.begin(), spans.end(),
                                   [](const auto& a, const auto& b) { return a->used < b->used; }));
    }
    spans.push_back(span);
    return span;
  }
};

Agenda::Agenda() : zone_(PeninsularSpain()), placements_(std::make_unique<Placements>()) {}
Agenda::~Agenda() = default;
Agenda::Agenda(Agenda&&) noexcept = default;
Agenda& Agenda::operator=(Agenda&&) noexcept = default;

void Agenda::Add(AgendaRule rule) {
  rules_.push_back(std::move(rule));
  if (placements_->prepared) placements_ = std::make_unique<Placements>();
}

void Agenda::SetTimeZone(TimeZone zone) {
  zone_ = std::move(zone);
  placements_ = std::make_unique<Placements>();
}

std::vector<AgendaEntry> Agenda::EntriesFor(const PageDate& date) const {
  std::vector<AgendaEntry> entries;
  if (!IsValidPageDate(date)) return entries;
  if (nationalHolidays_) {
    const std::string_view name = NationalHolidayOn(date);
    if (!name.empty()) entries.push_back({std::string(name), true});
  }
  const std::int32_t serial = DaySerial(date);
  // The calendar events of the day, by rule and time: those that happen
  // once, and those of the span that holds the day (a span is never
  // changed once made, so it is read after the lock is let go).
  std::vector<Placements::Hit> once;
  std::shared_ptr<const Placements::Span> span;
  const Placements::Hit* spanFirst = nullptr;
  const Placements::Hit* spanEnd = nullptr;
  const std::vector<std::size_t>* listed = nullptr;  // fixed once prepared
  {
    std::lock_guard<std::mutex> lock(placements_->mutex);
    Placements& p = *placements_;
    p.Prepare(rules_, zone_);
    const auto from =
        std::lower_bound(p.once.begin(), p.once.end(), serial - p.longestOnce + 1,
                         [](const Placements::Hit& h, std::int32_t d) { return h.day < d; });
    for (auto it = from; it != p.once.end() && it->day <= serial; ++it) {
      if (serial < it->day + it->span) once.push_back(*it);
    }
    if (!p.repeating.empty()) {
      span = p.SpanHolding(serial, zone_);
      const auto first =
          std::lower_bound(span->hits.begin(), span->hits.end(), serial,
                           [](const Placements::Hit& h, std::int32_t d) { return h.day < d; });
      const auto last =
          std::upper_bound(first, span->hits.end(), serial,
                           [](std::int32_t d, const Placements::Hit& h) { return d < h.day; });
      spanFirst = span->hits.data() + (first - span->hits.begin());
      spanEnd = span->hits.data() + (last - span->hits.begin());
    }
    listed = &p.listed;
  }
  const auto byRuleAndTime = [](const Placements::Hit& a, const Placements::Hit& b) {
    return a.rule != b.rule ? a.rule < b.rule : a.second < b.second;
  };
  std::stable_sort(once.begin(), once.end(), byRuleAndTime);
  entries.reserve(entries.size() + once.size() + static_cast<std::size_t>(spanEnd - spanFirst));
  // The date lists' rules and the events' occurrences, in the order of the
  // rules; of two hits alike, the one that happens once first.
  auto onceHit = once.cbegin();
  const Placements::Hit* spanHit = spanFirst;
  const auto addHitsBefore = [&](std::size_t rule) {
    while (true) {
      const bool onceLeft = onceHit != once.cend() && onceHit->rule < rule;
      const bool spanLeft = spanHit != spanEnd && spanHit->rule < rule;
      if (!onceLeft && !spanLeft) return;
      const Placements::Hit& hit =
          onceLeft && (!spanLeft || !byRuleAndTime(*spanHit, *onceHit)) ? *onceHit++ : *spanHit++;
      entries.push_back({hit.Text(), rules_[hit.rule].entry.holiday});
    }
  };
  for (const std::size_t i : *listed) {
    addHitsBefore(i);
    if (RuleCovers(rules_[i], date)) entries.push_back(rules_[i].entry);
  }
  addHitsBefore(std::numeric_limits<std::size_t>::max());
  return entries;
}

}  // namespace trevalda
