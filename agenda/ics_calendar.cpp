// iCalendar files (RFC 5545): the VEVENTs of a calendar as agenda rules.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "agenda/agenda.h"
#include "agenda/agenda_file.h"
#include "agenda/calendar_event.h"
#include "agenda/reader_support.h"
#include "agenda/time_zone.h"
#include "text/cp1252.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

using agenda_internal::Refuse;

constexpr std::size_t kMaxNesting = 16;

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return upper;
}

// One content line: NAME;PARAM=value;...:VALUE.
struct ContentLine {
  std::string name;                                         // upper case
  std::vector<std::pair<std::string, std::string>> params;  // names upper case, quotes removed
  std::string value;

  std::string Param(std::string_view wanted) const {
    for (const auto& [key, v] : params) {
      if (key == wanted) return v;
    }
    return {};
  }
};

bool ParseContentLine(std::string_view line, ContentLine& out) {
  std::size_t i = 0;
  while (i < line.size() && line[i] != ';' && line[i] != ':') ++i;
  if (i == 0 || i == line.size()) return false;
  out.name = Upper(line.substr(0, i));
  out.params.clear();
  while (line[i] == ';') {
    const std::size_t start = ++i;
    while (i < line.size() && line[i] != '=' && line[i] != ';' && line[i] != ':') ++i;
    if (i == line.size() || line[i] != '=') return false;
    std::string key = Upper(line.substr(start, i - start));
    ++i;
    std::string value;
    while (i < line.size() && line[i] != ';' && line[i] != ':') {
      if (line[i] == '"') {
        const std::size_t close = line.find('"', i + 1);
        if (close == std::string_view::npos) return false;
        value.append(line.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        value.push_back(line[i++]);
      }
    }
    if (i == line.size()) return false;
    out.params.emplace_back(std::move(key), std::move(value));
  }
  out.value = line.substr(i + 1);
  return true;
}

// A DATE or DATE-TIME value as written.
struct Moment {
  PageDate date;
  int second = -1;   // the second of the day; -1: a DATE
  bool utc = false;  // ends in Z

  WallTime Wall() const { return {DaySerial(date), second < 0 ? 0 : second}; }
};

int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// Reads a DATE (yyyymmdd) or DATE-TIME (yyyymmddThhmmss, Z for UTC) value.
std::optional<Moment> ReadMoment(std::string_view value, std::string_view valueType = {}) {
  Moment moment;
  if (value.size() < 8) return std::nullopt;
  const int year = Digits(value, 0, 4);
  const int month = Digits(value, 4, 2);
  const int day = Digits(value, 6, 2);
  if (year < 1 || month < 0 || day < 0) return std::nullopt;
  moment.date = {static_cast<std::int16_t>(day), static_cast<std::int16_t>(month),
                 static_cast<std::int16_t>(year)};
  if (!IsValidPageDate(moment.date)) return std::nullopt;
  if (value.size() == 8) return moment;
  if (Upper(valueType) == "DATE") return std::nullopt;
  moment.utc = value.size() == 16 && (value[15] == 'Z' || value[15] == 'z');
  if ((value.size() != 15 && !moment.utc) || (value[8] != 'T' && value[8] != 't')) {
    return std::nullopt;
  }
  const int hour = Digits(value, 9, 2);
  const int minute = Digits(value, 11, 2);
  const int second = Digits(value, 13, 2);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60) {
    return std::nullopt;
  }
  moment.second = hour * 3600 + minute * 60 + std::min(second, 59);
  return moment;
}

// The whole seconds of an RFC 5545 duration ("P2D", "PT1H30M", "P1W",
// "-PT15M"); nullopt when it is not one.
std::optional<std::int64_t> ReadDuration(std::string_view value) {
  std::int64_t sign = 1;
  if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
    sign = value.front() == '-' ? -1 : 1;
    value.remove_prefix(1);
  }
  if (value.size() < 3 || (value.front() != 'P' && value.front() != 'p')) return std::nullopt;
  value.remove_prefix(1);
  std::int64_t total = 0;
  std::int64_t number = -1;
  bool inTime = false;
  for (const char raw : value) {
    const char c = raw >= 'a' && raw <= 'z' ? static_cast<char>(raw - 32) : raw;
    if (c >= '0' && c <= '9') {
      number = std::min<std::int64_t>((number < 0 ? 0 : number) * 10 + (c - '0'), 1000000000);
      continue;
    }
    if (c == 'T' && number < 0 && !inTime) {
      inTime = true;
      continue;
    }
    if (number < 0) return std::nullopt;
    std::int64_t unit = 0;
    if (!inTime && c == 'W') unit = 7 * 86400;
    if (!inTime && c == 'D') unit = 86400;
    if (inTime && c == 'H') unit = 3600;
    if (inTime && c == 'M') unit = 60;
    if (inTime && c == 'S') unit = 1;
    if (unit == 0) return std::nullopt;
    total += number * unit;
    number = -1;
  }
  if (number >= 0) return std::nullopt;
  return sign * total;
}

// SUMMARY's text with RFC 5545's escapes undone; a line break becomes " / ".
std::string Unescape(std::string_view value) {
  std::string text;
  text.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      text.push_back(value[i]);
      continue;
    }
    const char next = value[++i];
    if (next == 'n' || next == 'N') {
      text += " / ";
    } else {
      text.push_back(next);  // \\ \; \, and anything else escaped
    }
  }
  return text;
}

// Splits a comma list of values.
std::vector<std::string_view> Values(std::string_view list) {
  std::vector<std::string_view> values;
  for (std::size_t at = 0; at <= list.size();) {
    const std::size_t end = std::min(list.find(',', at), list.size());
    if (end > at) values.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  return values;
}

// Text of the file (UTF-8) quoted in a note, short and on one line.
std::string Quoted(std::string_view utf8) { return ShownText(utf8, 40); }

// What one VEVENT said.
struct RawEvent {
  std::size_t line = 0;  // of BEGIN:VEVENT
  std::size_t summaryLine = 0;
  std::optional<ContentLine> start, end, recurrenceId;
  std::string duration;
  std::string summary;
  std::vector<ContentLine> rules, rdates, exdates;
  std::string uid;
  bool cancelled = false;
};

// A VEVENT once read: the event (built at its END when the zones it names
// are known by then, else kept to build at the end of the file), and what
// links it to the repeating event it changes.
struct Item {
  std::shared_ptr<CalendarEvent> event;
  std::unique_ptr<RawEvent> deferred;
  std::string uid;
  std::optional<ContentLine> recurrenceId;
  bool cancelled = false;
  std::size_t line = 0;
};

// What one STANDARD or DAYLIGHT block of a VTIMEZONE said.
struct RawObservance {
  bool daylight = false;
  std::optional<ContentLine> start;
  std::string offsetFrom, offsetTo;
  std::vector<ContentLine> rules, rdates;
};

struct RawZone {
  std::string tzid;
  std::vector<RawObservance> observances;
};

// The zones a file names: its VTIMEZONE blocks and the zones the system
// knows by name.
class ZoneBook {
 public:
  // A name not known before may be known now.
  void AddFileZone(RawZone zone) {
    fileZones_.push_back(std::move(zone));
    std::erase_if(found_, [](const auto& entry) { return !entry.second.has_value(); });
  }

  // The zone `tzid` names, nullopt when neither the system nor the file
  // knows it. A name the system knows wins over the file's description,
  // which is often cut down to the rules of one year.
  std::optional<TimeZone> Find(std::string_view tzid) {
    for (const auto& [name, zone] : found_) {
      if (name == tzid) return zone;
    }
    std::optional<TimeZone> zone = Lookup(tzid);
    found_.emplace_back(std::string(tzid), zone);
    return zone;
  }

 private:
  std::optional<TimeZone> Lookup(std::string_view tzid) {
    std::string_view name = tzid;
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);  // a "globally unique" TZID
    const std::string upper = Upper(name);
    if (upper == "Z" || upper == "UTC" || upper == "ETC/UTC" || upper == "GMT" ||
        upper == "ETC/GMT") {
      return TimeZone::Utc();
    }
    if (std::optional<TimeZone> known = TimeZone::FromName(name)) return known;
    for (const RawZone& zone : fileZones_) {
      if (zone.tzid != tzid) continue;
      return FromFile(zone);
    }
    return std::nullopt;
  }

  static std::optional<TimeZone> FromFile(const RawZone& zone);

  std::vector<RawZone> fileZones_;
  std::vector<std::pair<std::string, std::optional<TimeZone>>> found_;
};

// Why an event could not be placed: the reason (UTF-8) and where it was
// first seen, with how often.
struct Unplaced {
  std::string why;
  std::size_t count = 0;
  std::size_t firstLine = 0;
  std::size_t lastLine = 0;
};

class CalendarReader {
 public:
  explicit CalendarReader(agenda_internal::FileReading& result) : result_(result) {}

  // Takes one unfolded content line; false when the file is refused.
  bool Take(std::string_view text, std::size_t lineNumber) {
    if (text.empty()) return true;
    // Checked once unfolded: a fold may fall inside a character.
    if (!agenda_internal::CheckUtf8Text(text, result_, lineNumber)) return false;
    ContentLine line;
    if (!ParseContentLine(text, line)) {
      return Refuse(result_, lineNumber,
                    "no es una l\xED"
                    "nea de iCalendar (NOMBRE:valor)");
    }
    if (line.name == "BEGIN") return Begin(Upper(line.value), lineNumber);
    if (line.name == "END") return End(Upper(line.value), lineNumber);
    if (stack_.empty()) {
      return Refuse(result_, lineNumber,
                    "hay una l\xED"
                    "nea fuera de BEGIN:VCALENDAR ... END:VCALENDAR");
    }
    if (stack_.size() == 2 && stack_.back() == "VEVENT") {
      NoteEventLine(std::move(line), lineNumber);
    } else if (stack_.size() == 2 && stack_.back() == "VTIMEZONE") {
      if (line.name == "TZID") zone_.tzid = line.value;
    } else if (stack_.size() == 3 && stack_[1] == "VTIMEZONE" &&
               (stack_.back() == "STANDARD" || stack_.back() == "DAYLIGHT")) {
      NoteObservanceLine(std::move(line));
    }
    return true;
  }

  // After the last line; false when a component was left open.
  bool Finish(std::size_t lineNumber);

 private:
  bool Begin(const std::string& component, std::size_t lineNumber) {
    if (stack_.empty() && component != "VCALENDAR") {
      return Refuse(result_, lineNumber, "se esperaba BEGIN:VCALENDAR");
    }
    if (stack_.size() == kMaxNesting) {
      return Refuse(result_, lineNumber, "demasiados componentes anidados");
    }
    stack_.push_back(component);
    if (component == "VEVENT" && stack_.size() == 2) {
      if (eventCount_ == kMaxEntriesPerFile) {
        return Refuse(result_, lineNumber,
                      "demasiados eventos: como mucho " + std::to_string(kMaxEntriesPerFile) +
                          " por archivo");
      }
      ++eventCount_;
      current_ = RawEvent{};
      current_.line = lineNumber;
    } else if (component == "VTIMEZONE" && stack_.size() == 2) {
      zone_ = RawZone{};
    } else if ((component == "STANDARD" || component == "DAYLIGHT") && stack_.size() == 3 &&
               stack_[1] == "VTIMEZONE") {
      zone_.observances.emplace_back();
      zone_.observances.back().daylight = component == "DAYLIGHT";
    }
    return true;
  }

  bool End(const std::string& component, std::size_t lineNumber) {
    if (stack_.empty() || stack_.back() != component) {
      return agenda_internal::RefuseUtf8(
          result_, lineNumber,
          "END:" + Quoted(component) + " no cierra ning\xC3\xBAn BEGIN abierto");
    }
    if (component == "VTIMEZONE" && stack_.size() == 2) zones_.AddFileZone(std::move(zone_));
    if (component == "VEVENT" && stack_.size() == 2) EndEvent();
    stack_.pop_back();
    return true;
  }

  void NoteEventLine(ContentLine line, std::size_t lineNumber) {
    RawEvent& event = current_;
    if (line.name == "DTSTART") {
      event.start = std::move(line);
    } else if (line.name == "DTEND") {
      event.end = std::move(line);
    } else if (line.name == "DURATION") {
      event.duration = Upper(line.value);
    } else if (line.name == "SUMMARY") {
      event.summary = Unescape(line.value);
      event.summaryLine = lineNumber;
    } else if (line.name == "RRULE") {
      event.rules.push_back(std::move(line));
    } else if (line.name == "EXDATE") {
      event.exdates.push_back(std::move(line));
    } else if (line.name == "RDATE") {
      event.rdates.push_back(std::move(line));
    } else if (line.name == "RECURRENCE-ID") {
      event.recurrenceId = std::move(line);
    } else if (line.name == "UID") {
      event.uid = line.value;
    } else if (line.name == "STATUS") {
      event.cancelled = Upper(line.value) == "CANCELLED";
    }
  }

  void NoteObservanceLine(ContentLine line) {
    RawObservance& observance = zone_.observances.back();
    if (line.name == "DTSTART") {
      observance.start = std::move(line);
    } else if (line.name == "TZOFFSETFROM") {
      observance.offsetFrom = line.value;
    } else if (line.name == "TZOFFSETTO") {
      observance.offsetTo = line.value;
    } else if (line.name == "RRULE") {
      observance.rules.push_back(std::move(line));
    } else if (line.name == "RDATE") {
      observance.rdates.push_back(std::move(line));
    }
  }

  void Unplace(std::size_t line, std::string why) {
    for (Unplaced& u : unplaced_) {
      if (u.why == why) {
        ++u.count;
        return;
      }
    }
    unplaced_.push_back({std::move(why), 1, line, line});
  }

  // The zone a TZID names; an unknown one is noted and the time is taken
  // as written.
  std::optional<TimeZone> ZoneNamed(const std::string& tzid, std::size_t line) {
    std::optional<TimeZone> zone = zones_.Find(tzid);
    if (!zone) {
      for (Unplaced& u : unknownZones_) {
        if (u.why == tzid) {
          if (u.lastLine != line) ++u.count;  // events, not mentions
          u.lastLine = line;
          return zone;
        }
      }
      unknownZones_.push_back({tzid, 1, line, line});
    }
    return zone;
  }

  std::optional<WallTime> OnEventClock(const CalendarEvent& event, const Moment& moment,
                                       const std::string& tzid, std::size_t line);
  std::optional<std::int64_t> KeyFor(const CalendarEvent& event, const Moment& moment,
                                     const std::string& tzid, std::size_t line);
  std::shared_ptr<CalendarEvent> Build(const RawEvent& raw);
  bool AddRules(const RawEvent& raw, CalendarEvent& event);
  bool AddDates(const RawEvent& raw, CalendarEvent& event);
  void EndEvent();
  void AddRule(std::shared_ptr<CalendarEvent> event);
  bool ZonesKnown(const RawEvent& raw);
  void Link(const Item& item, CalendarEvent* master);
  void WriteNotes();

  agenda_internal::FileReading& result_;
  std::vector<std::string> stack_;
  RawEvent current_;
  std::size_t eventCount_ = 0;
  std::vector<Item> items_;  // the VEVENTs in the order of the file
  RawZone zone_;
  ZoneBook zones_;
  std::vector<Unplaced> unplaced_;
  std::vector<Unplaced> unknownZones_;
  std::size_t cancelledEvents_ = 0;
  std::size_t cancelledOccurrences_ = 0;
  std::size_t crowded_ = 0;  // events that may repeat more than kMaxOccurrencesPerDay times a day
  std::size_t lost_ = 0;
  std::string lostLines_;
};

std::optional<TimeZone> ZoneBook::FromFile(const RawZone& zone) {
  std::vector<ZoneObservance> observances;
  for (const RawObservance& raw : zone.observances) {
    ZoneObservanceText text;
    text.daylight = raw.daylight;
    if (raw.start) text.start = raw.start->value;
    text.offsetFrom = raw.offsetFrom;
    text.offsetTo = raw.offsetTo;
    for (const ContentLine& line : raw.rules) text.rules.push_back(line.value);
    for (const ContentLine& line : raw.rdates) text.rdates.push_back(line.value);
    std::string why;
    std::optional<ZoneObservance> observance = ParseZoneObservance(text, why);
    if (!observance) return std::nullopt;  // a zone described wrongly is an unknown zone
    observances.push_back(std::move(*observance));
  }
  if (observances.empty()) return std::nullopt;
  return TimeZone::FromObservances(zone.tzid, std::move(observances));
}

// A moment of the file on the clock of `event`'s frame: a DATE keeps its
// day (at the event's own hour when the event is timed), a floating time
// is taken as written, a zoned or UTC time is moved to the event's zone.
std::optional<WallTime> CalendarReader::OnEventClock(const CalendarEvent& event,
                                                     const Moment& moment, const std::string& tzid,
                                                     std::size_t line) {
  const WallTime wall = moment.Wall();
  if (event.frame == CalendarEvent::Frame::kAllDay) return WallTime{wall.day, 0};
  if (moment.second < 0) return WallTime{wall.day, event.start.second};
  if (event.frame == CalendarEvent::Frame::kFloating || (!moment.utc && tzid.empty())) return wall;
  const std::optional<TimeZone> zone = moment.utc ? TimeZone::Utc() : ZoneNamed(tzid, line);
  if (!zone) return wall;
  return WallOf(*event.zone, UtcKeyOf(*zone, wall));
}

// The key (see CalendarEvent::KeyOf) of a moment of the file for `event`.
std::optional<std::int64_t> CalendarReader::KeyFor(const CalendarEvent& event, const Moment& moment,
                                                   const std::string& tzid, std::size_t line) {
  const std::optional<WallTime> wall = OnEventClock(event, moment, tzid, line);
  if (!wall) return std::nullopt;
  if (event.frame == CalendarEvent::Frame::kZoned && moment.second >= 0) {
    const std::optional<TimeZone> zone = moment.utc     ? TimeZone::Utc()
                                         : tzid.empty() ? event.zone
                                                        : ZoneNamed(tzid, line);
    if (zone) return UtcKeyOf(*zone, moment.Wall());
  }
  return event.KeyOf(*wall);
}

bool CalendarReader::AddRules(const RawEvent& raw, CalendarEvent& event) {
  for (const ContentLine& line : raw.rules) {
    std::string why;
    std::optional<RecurrenceRule> rule = ParseRecurrenceRule(line.value, why);
    if (!rule) {
      Unplace(raw.line, Cp1252ToUtf8(why));
      return false;
    }
    if (rule->until) {
      const std::optional<Moment> until = ReadMoment(*rule->until);
      if (!until) {
        Unplace(raw.line, "RRULE con UNTIL=" + Quoted(*rule->until) + " que no es una fecha");
        return false;
      }
      rule->untilWall = until->second < 0 && event.frame != CalendarEvent::Frame::kAllDay
                            ? WallTime{until->Wall().day, 86399}
                            : OnEventClock(event, *until, {}, raw.line);
    }
    const std::int64_t unit = rule->frequency == Frequency::kSecondly   ? 1
                              : rule->frequency == Frequency::kMinutely ? 60
                                                                        : 3600;
    if (rule->frequency < Frequency::kDaily &&
        86400 / (unit * rule->interval) > kMaxOccurrencesPerDay) {
      ++crowded_;
    }
    event.rules.push_back(std::move(*rule));
  }
  return true;
}

bool CalendarReader::AddDates(const RawEvent& raw, CalendarEvent& event) {
  for (const ContentLine& line : raw.rdates) {
    const bool period = Upper(line.Param("VALUE")) == "PERIOD";
    for (std::string_view value : Values(line.value)) {
      if (period || value.find('/') != std::string_view::npos)
        value = value.substr(0, value.find('/'));
      const std::optional<Moment> moment = ReadMoment(value, period ? "" : line.Param("VALUE"));
      if (!moment) {
        Unplace(raw.line, "RDATE con " + Quoted(value) + " que no es una fecha");
        return false;
      }
      if (const auto wall = OnEventClock(event, *moment, line.Param("TZID"), raw.line)) {
        event.extraStarts.push_back(*wall);
      }
    }
  }
  std::sort(event.extraStarts.begin(), event.extraStarts.end());
  for (const ContentLine& line : raw.exdates) {
    for (const std::string_view value : Values(line.value)) {
      const std::optional<Moment> moment = ReadMoment(value, line.Param("VALUE"));
      if (!moment) {
        Unplace(raw.line, "EXDATE con " + Quoted(value) + " que no es una fecha");
        return false;
      }
      if (moment->second < 0 && event.frame != CalendarEvent::Frame::kAllDay) {
        event.excludedDays.push_back(moment->Wall().day);
      } else if (const auto key = KeyFor(event, *moment, line.Param("TZID"), raw.line)) {
        event.excluded.push_back(*key);
      }
    }
  }
  std::sort(event.excluded.begin(), event.excluded.end());
  std::sort(event.excludedDays.begin(), event.excludedDays.end());
  return true;
}

// The event as the agenda keeps it; nullptr (counted) when it cannot be placed.
std::shared_ptr<CalendarEvent> CalendarReader::Build(const RawEvent& raw) {
  const std::optional<Moment> start =
      raw.start ? ReadMoment(raw.start->value, raw.start->Param("VALUE")) : std::nullopt;
  if (!start) {
    Unplace(raw.line, "sin una fecha de inicio (DTSTART) v\xC3\xA1lida");
    return nullptr;
  }
  auto event = std::make_shared<CalendarEvent>();
  event->start = start->Wall();
  const std::string tzid = raw.start->Param("TZID");
  if (start->second < 0) {
    event->frame = CalendarEvent::Frame::kAllDay;
    // An all-day event covers the days up to, not including, DTEND.
    std::int64_t days = 1;
    const std::optional<Moment> end = raw.end ? ReadMoment(raw.end->value) : std::nullopt;
    if (end) days = DaySerial(end->date) - DaySerial(start->date);
    if (!raw.duration.empty()) {
      const std::optional<std::int64_t> seconds = ReadDuration(raw.duration);
      if (seconds) days = (*seconds + 86399) / 86400;
    }
    if (days > AgendaRule::kMaxSpanDays) {
      Unplace(raw.line, "dura m\xC3\xA1s de un a\xC3\xB1o");
      return nullptr;
    }
    event->spanDays = static_cast<std::int32_t>(std::max<std::int64_t>(days, 1));
  } else if (start->utc) {
    event->frame = CalendarEvent::Frame::kZoned;
    event->zone = TimeZone::Utc();
  } else if (!tzid.empty()) {
    event->zone = ZoneNamed(tzid, raw.line);
    event->frame = event->zone ? CalendarEvent::Frame::kZoned : CalendarEvent::Frame::kFloating;
  } else {
    event->frame = CalendarEvent::Frame::kFloating;
  }
  if (!AddRules(raw, *event) || !AddDates(raw, *event)) return nullptr;
  const std::size_t lostBefore = lost_;
  event->text = agenda_internal::EntryText(raw.summary, lost_);
  if (lost_ != lostBefore && lostLines_.size() < 40) {
    lostLines_ += (lostLines_.empty() ? "" : ", ") + std::to_string(raw.summaryLine);
  }
  if (event->text.empty()) event->text = "(sin t\xEDtulo)";
  return event;
}

// An event with RECURRENCE-ID changes its master's occurrence at that
// moment (with RANGE=THISANDFUTURE, that one and every later one): moves
// it, or with STATUS:CANCELLED removes it.
void CalendarReader::Link(const Item& item, CalendarEvent* master) {
  const ContentLine& id = *item.recurrenceId;
  const bool future = Upper(id.Param("RANGE")) == "THISANDFUTURE";
  const std::optional<Moment> original = ReadMoment(id.value, id.Param("VALUE"));
  std::optional<std::int64_t> key;
  if (master && original) key = KeyFor(*master, *original, id.Param("TZID"), item.line);
  if (item.cancelled) {
    ++cancelledOccurrences_;
    if (!key) return;
    if (future) {
      master->future.push_back({*key, 0, true, {}, 1});
    } else {
      master->replaced.push_back(*key);
    }
    return;
  }
  const std::shared_ptr<CalendarEvent>& built = item.event;
  if (!built) return;
  if (key && future) {
    std::int64_t moved = *key;
    const Moment newStart{DateFromSerial(built->start.day),
                          built->frame == CalendarEvent::Frame::kAllDay ? -1 : built->start.second,
                          false};
    if (built->frame == CalendarEvent::Frame::kZoned &&
        master->frame == CalendarEvent::Frame::kZoned) {
      moved = UtcKeyOf(*built->zone, built->start);
    } else if (const auto wall = OnEventClock(*master, newStart, {}, item.line)) {
      moved = master->KeyOf(*wall);
    }
    master->future.push_back({*key, moved - *key, false, built->text, built->spanDays});
    return;
  }
  if (key) master->replaced.push_back(*key);
  AddRule(built);
}

// Whether every TZID the event names is known now (a VTIMEZONE may come
// later in the file).
bool CalendarReader::ZonesKnown(const RawEvent& raw) {
  const auto known = [&](const std::optional<ContentLine>& line) {
    if (!line) return true;
    const std::string tzid = line->Param("TZID");
    return tzid.empty() || zones_.Find(tzid).has_value();
  };
  if (!known(raw.start) || !known(raw.recurrenceId)) return false;
  for (const auto* lines : {&raw.rdates, &raw.exdates}) {
    for (const ContentLine& line : *lines) {
      if (!known(line)) return false;
    }
  }
  return true;
}

void CalendarReader::EndEvent() {
  Item item;
  item.uid = current_.uid;
  item.recurrenceId = current_.recurrenceId;
  item.cancelled = current_.cancelled;
  item.line = current_.line;
  if (current_.cancelled && !current_.recurrenceId) {
    ++cancelledEvents_;
    return;
  }
  if (!current_.cancelled) {
    if (ZonesKnown(current_)) {
      item.event = Build(current_);
      if (!item.event) return;
    } else {
      item.deferred = std::make_unique<RawEvent>(std::move(current_));
    }
  }
  items_.push_back(std::move(item));
}

void CalendarReader::AddRule(std::shared_ptr<CalendarEvent> event) {
  AgendaRule rule;
  rule.kind = AgendaRule::Kind::kEvent;
  rule.date = DateFromSerial(event->start.day);
  rule.entry.text = event->text;
  rule.event = std::move(event);
  result_.rules.push_back(std::move(rule));
}

bool CalendarReader::Finish(std::size_t lineNumber) {
  if (!stack_.empty()) {
    return agenda_internal::RefuseUtf8(result_, lineNumber,
                                       "el calendario termina sin END:" + Quoted(stack_.back()));
  }
  // What waited for a VTIMEZONE further on, then the repeating events by
  // UID, so that their changes find them.
  std::unordered_map<std::string, CalendarEvent*> masters;
  for (Item& item : items_) {
    if (item.deferred) {
      item.event = Build(*item.deferred);
      item.deferred.reset();
    }
    if (item.event && !item.recurrenceId && !item.uid.empty()) {
      masters.emplace(item.uid, item.event.get());
    }
  }
  for (Item& item : items_) {
    if (item.recurrenceId) {
      const auto master = masters.find(item.uid);
      Link(item, master == masters.end() ? nullptr : master->second);
    } else if (item.event) {
      AddRule(item.event);
    }
  }
  for (const auto& [uid, event] : masters) {
    std::sort(event->replaced.begin(), event->replaced.end());
    std::sort(event->future.begin(), event->future.end(),
              [](const auto& a, const auto& b) { return a.key < b.key; });
  }
  items_.clear();
  WriteNotes();
  return true;
}

void CalendarReader::WriteNotes() {
  // "(línea 12)" for one event, "(3 eventos, el primero en la línea 12)".
  const auto where = [](const Unplaced& u) {
    const std::string line = "l\xC3\xADnea " + std::to_string(u.firstLine);
    if (u.count == 1) return "(" + line + ")";
    return "(" + std::to_string(u.count) + " eventos, el primero en la " + line + ")";
  };
  std::size_t total = 0;
  std::string why;
  for (const Unplaced& u : unplaced_) {
    total += u.count;
    why += (why.empty() ? "" : "; ") + u.why + " " + where(u);
  }
  if (total > 0) {
    result_.notes.push_back(std::to_string(total) + " de " + std::to_string(eventCount_) +
                            " eventos sin colocar: " + why);
  }
  for (const Unplaced& u : unknownZones_) {
    result_.notes.push_back("TZID desconocido: " + Quoted(u.why) + " " + where(u) +
                            ": se toma la hora tal como est\xC3\xA1 escrita");
  }
  const auto count = [](std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
  };
  if (cancelledEvents_ > 0) {
    result_.notes.push_back(count(cancelledEvents_, "evento cancelado", "eventos cancelados") +
                            " (STATUS:CANCELLED): no se muestra" +
                            (cancelledEvents_ == 1 ? "" : "n"));
  }
  if (cancelledOccurrences_ > 0) {
    result_.notes.push_back(
        count(cancelledOccurrences_, "repetici\xC3\xB3n cancelada", "repeticiones canceladas") +
        " (RECURRENCE-ID con STATUS:CANCELLED): no se muestra" +
        (cancelledOccurrences_ == 1 ? "" : "n"));
  }
  if (crowded_ > 0) {
    result_.notes.push_back(count(crowded_, "evento se repite", "eventos se repiten") +
                            " m\xC3\xA1s de " + std::to_string(kMaxOccurrencesPerDay) +
                            " veces al d\xC3\xAD"
                            "a: se muestran las " +
                            std::to_string(kMaxOccurrencesPerDay) +
                            " primeras de cada d\xC3\xAD"
                            "a");
  }
  agenda_internal::NoteLostCharacters(result_, lost_, lostLines_);
}

}  // namespace

agenda_internal::FileReading agenda_internal::ReadCalendarText(std::string_view bytes) {
  agenda_internal::FileReading result;
  // UTF-16 is refused at once; UTF-8 is checked line by line once unfolded.
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    agenda_internal::CheckUtf8Text(bytes, result);
    return result;
  }
  bytes = agenda_internal::WithoutByteOrderMark(bytes);
  CalendarReader reader(result);
  std::string logical;
  std::size_t logicalStart = 0;  // 0: no line yet
  std::size_t lineNumber = 0;
  std::size_t position = 0;
  std::string_view raw;
  bool going = true;
  while (going && agenda_internal::NextLine(bytes, position, raw)) {
    ++lineNumber;
    const bool folded =
        logicalStart != 0 && !raw.empty() && (raw.front() == ' ' || raw.front() == '\t');
    if (!folded) {
      going = logicalStart == 0 || reader.Take(logical, logicalStart);
      logical.clear();
      logicalStart = lineNumber;
    }
    // A folded line goes on without its first blank.
    const std::string_view more = folded ? raw.substr(1) : raw;
    if (going && logical.size() + more.size() > kMaxCalendarLineBytes) {
      going = Refuse(result, logicalStart,
                     "la l\xED"
                     "nea es demasiado larga (m\xE1s de " +
                         std::to_string(kMaxCalendarLineBytes / 1024) + " KiB)");
    }
    if (going) logical.append(more);
  }
  if (!going) return result;
  if (logicalStart != 0 && !reader.Take(logical, logicalStart)) return result;
  if (!reader.Finish(lineNumber)) return result;
  result.ok = true;
  return result;
}

}  // namespace trevalda
