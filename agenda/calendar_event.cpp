#include "agenda/calendar_event.h"

#include <algorithm>
#include <cstdlib>

#include "calendar/calendar.h"

namespace trevalda {
namespace {

constexpr std::int64_t kDaySeconds = 86400;

// Seconds from 1/1/1 to 1/1/1970, where the zones count from.
std::int64_t UnixEpoch() {
  static const std::int64_t epoch = std::int64_t{DaySerial({1, 1, 1970})} * kDaySeconds;
  return epoch;
}

std::int32_t LastDay() {
  static const std::int32_t last = DaySerial({31, 12, 9999});
  return last;
}

bool InCalendar(WallTime moment) { return moment.day >= 0 && moment.day <= LastDay(); }

}  // namespace

WallTime WallOf(const TimeZone& zone, std::int64_t key) {
  const LocalDateTime local = zone.ToLocal(key - UnixEpoch());
  if (!IsValidPageDate(local.date)) return WallTime::FromSeconds(key);
  return {DaySerial(local.date), local.secondOfDay};
}

std::int64_t UtcKeyOf(const TimeZone& zone, WallTime wall) {
  if (!InCalendar(wall)) return wall.Seconds();
  return zone.ToUtc({DateFromSerial(wall.day), wall.second}) + UnixEpoch();
}

std::int64_t CalendarEvent::KeyOf(WallTime moment) const {
  if (frame != Frame::kZoned || !zone) return moment.Seconds();
  return UtcKeyOf(*zone, moment);
}

const TimeZone::SteadyOffset& ZoneClocks::Steady(const TimeZone& zone, std::int64_t unixSeconds,
                                                 std::int64_t reach) {
  auto known = std::find_if(known_.begin(), known_.end(),
                            [&](const Known& k) { return k.zone.SameAs(zone); });
  if (known == known_.end()) {
    if (known_.size() < kZonesKept) {
      known_.push_back({zone});
      known = known_.end() - 1;
    } else {
      known = known_.begin() + static_cast<std::ptrdiff_t>(replaced_);
      replaced_ = (replaced_ + 1) % kZonesKept;
      *known = {zone};
    }
  }
  for (const TimeZone::SteadyOffset& steady : known->stretches) {
    if (steady.from <= unixSeconds - reach && unixSeconds + reach <= steady.until) return steady;
  }
  TimeZone::SteadyOffset& steady = known->stretches[known->replaced];
  known->replaced = (known->replaced + 1) % kStretchesKept;
  steady = zone.SteadyOffsetAt(unixSeconds);
  return steady;
}

std::int64_t ZoneClocks::KeyOf(const TimeZone& zone, WallTime wall) {
  // TimeZone::ToUtc reads the offsets up to 30 hours either side of the
  // wall-clock time: where they are all one, the time is that offset off.
  constexpr std::int64_t kReach = 30 * 3600;
  if (InCalendar(wall)) {
    const std::int64_t local = wall.Seconds() - UnixEpoch();
    const TimeZone::SteadyOffset& steady = Steady(zone, local, kReach);
    if (steady.from <= local - kReach && local + kReach <= steady.until) {
      return wall.Seconds() - steady.offset;
    }
  }
  return UtcKeyOf(zone, wall);
}

WallTime ZoneClocks::WallOf(const TimeZone& zone, std::int64_t key) {
  const std::int64_t instant = key - UnixEpoch();
  const TimeZone::SteadyOffset& steady = Steady(zone, instant, 0);
  if (steady.from <= instant && instant <= steady.until) {
    return WallTime::FromSeconds(key + steady.offset);
  }
  return trevalda::WallOf(zone, key);
}

void EventPlacement::Collect(WallTime from, WallTime to, std::vector<WallTime>& starts) {
  const CalendarEvent& event = *event_;
  // Nothing new before `to`, nothing kept at or after `from`: a quick no.
  if (from.Seconds() >= lastFrom_ && nextPossible_ >= to &&
      std::none_of(recent_.begin(), recent_.end(), [&](WallTime t) { return t >= from; })) {
    lastFrom_ = from.Seconds();
    recent_.clear();
    return;
  }
  if (from.Seconds() < lastFrom_ || (walks_.empty() && !event.rules.empty())) {
    walks_.clear();
    recent_.clear();
    for (const RecurrenceRule& rule : event.rules) walks_.emplace_back(rule, event.start);
  }
  lastFrom_ = from.Seconds();
  std::erase_if(recent_, [&](WallTime t) { return t < from; });
  for (const WallTime t : recent_) {
    if (t < to) starts.push_back(t);
  }
  for (RecurrenceWalk& walk : walks_) {
    walk.SkipTo(from);
    std::int32_t day = -1;
    int onDay = 0;
    while (const std::optional<WallTime> next = walk.NextBefore(to)) {
      onDay = next->day == day ? onDay + 1 : 1;
      day = next->day;
      if (onDay > kMaxOccurrencesPerDay) {
        walk.SkipTo({day + 1, 0});
        continue;
      }
      starts.push_back(*next);
      recent_.push_back(*next);
    }
  }
  // DTSTART is always an occurrence; RDATE adds more.
  if (event.start >= from && event.start < to) starts.push_back(event.start);
  const auto firstExtra =
      std::lower_bound(event.extraStarts.begin(), event.extraStarts.end(), from);
  for (auto extra = firstExtra; extra != event.extraStarts.end() && *extra < to; ++extra) {
    starts.push_back(*extra);
  }
  // What can come next, for the quick no. The next stretch may overlap
  // this one, so DTSTART and the RDATEs count from `from` on (the walks'
  // starts in the overlap are kept in recent_).
  nextPossible_ = {std::numeric_limits<std::int32_t>::max(), 0};
  for (const RecurrenceWalk& walk : walks_)
    nextPossible_ = std::min(nextPossible_, walk.NextPossible());
  if (firstExtra != event.extraStarts.end()) nextPossible_ = std::min(nextPossible_, *firstExtra);
  if (event.start >= from) nextPossible_ = std::min(nextPossible_, event.start);
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
}

void EventPlacement::Place(std::int32_t firstDay, std::int32_t endDay, const TimeZone& pageZone,
                           ZoneClocks& clocks, std::vector<PlacedOccurrence>& out) {
  const CalendarEvent& event = *event_;
  std::int64_t widest = 0;  // the largest move a THISANDFUTURE change makes
  std::int32_t longest = event.spanDays;
  for (const CalendarEvent::FutureChange& change : event.future) {
    widest = std::max<std::int64_t>(widest, change.shift < 0 ? -change.shift : change.shift);
    longest = std::max(longest, change.spanDays);
  }
  // The stretch of the event's own clock that can reach these page days:
  // a zone's clock is at most a day and some hours off the page's.
  std::int64_t from = std::int64_t{firstDay} * kDaySeconds;
  std::int64_t to = std::int64_t{endDay} * kDaySeconds;
  switch (event.frame) {
    case CalendarEvent::Frame::kZoned:
      from -= 2 * kDaySeconds;
      to += 2 * kDaySeconds;
      break;
    case CalendarEvent::Frame::kAllDay:
      from -= std::int64_t{longest - 1} * kDaySeconds;
      break;
    case CalendarEvent::Frame::kFloating:
      break;
  }
  std::vector<WallTime> starts;
  Collect(WallTime::FromSeconds(from - widest), WallTime::FromSeconds(to + widest), starts);
  if (event.frame == CalendarEvent::Frame::kAllDay) {
    // An all-day event occurs on dates: hours a rule names add nothing.
    for (WallTime& start : starts) start.second = 0;
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  }
  const std::size_t firstOut = out.size();
  for (const WallTime start : starts) {
    std::int64_t key = event.frame == CalendarEvent::Frame::kZoned && event.zone
                           ? clocks.KeyOf(*event.zone, start)
                           : start.Seconds();
    if (std::binary_search(event.excluded.begin(), event.excluded.end(), key) ||
        std::binary_search(event.replaced.begin(), event.replaced.end(), key) ||
        (event.frame != CalendarEvent::Frame::kAllDay &&
         std::binary_search(event.excludedDays.begin(), event.excludedDays.end(), start.day))) {
      continue;
    }
    PlacedOccurrence placed;
    placed.text = &event.text;
    placed.spanDays = event.spanDays;
    const auto change = std::upper_bound(
        event.future.begin(), event.future.end(), key,
        [](std::int64_t k, const CalendarEvent::FutureChange& c) { return k < c.key; });
    if (change != event.future.begin()) {
      const CalendarEvent::FutureChange& applied = *std::prev(change);
      if (applied.cancelled) continue;
      key += applied.shift;
      placed.text = &applied.text;
      placed.spanDays = applied.spanDays;
    }
    if (key < 0 || key >= (std::int64_t{LastDay()} + 1) * kDaySeconds) continue;
    WallTime shown = WallTime::FromSeconds(key);
    if (event.frame == CalendarEvent::Frame::kZoned) shown = clocks.WallOf(pageZone, key);
    placed.day = shown.day;
    if (event.frame == CalendarEvent::Frame::kAllDay) {
      if (placed.day + placed.spanDays <= firstDay || placed.day >= endDay) continue;
    } else {
      placed.second = shown.second;
      placed.spanDays = 1;
      if (placed.day < firstDay || placed.day >= endDay) continue;
    }
    out.push_back(placed);
  }
  std::sort(out.begin() + static_cast<std::ptrdiff_t>(firstOut), out.end(),
            [](const PlacedOccurrence& a, const PlacedOccurrence& b) {
              return a.day != b.day ? a.day < b.day : a.second < b.second;
            });
}

}  // namespace trevalda
