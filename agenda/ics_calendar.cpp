// iCalendar files (RFC 5545): the VEVENTs of a calendar as agenda rules.
#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "agenda/agenda_file.h"
#include "agenda/reader_support.h"

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

// A DATE or DATE-TIME value, in the agenda's terms.
struct Moment {
  PageDate date;
  int minutes = -1;  // minutes after midnight; -1: a whole day
};

int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool IsUtcZone(std::string_view tzid) {
  const std::string zone = Upper(tzid);
  return zone == "UTC" || zone == "ETC/UTC" || zone == "GMT" || zone == "ETC/GMT" || zone == "Z";
}

// The minutes Spain's peninsular time is ahead of UTC at `minute` of the
// UTC day `serial`: 120 from the last Sunday of March to the last Sunday of
// October (01:00 UTC both), else 60.
int SpainOffset(std::int32_t serial, int minute) {
  const PageDate date = DateFromSerial(serial);
  const auto lastSunday = [&](std::int16_t month) {
    const std::int16_t last = 31;
    return DaySerial(
        {static_cast<std::int16_t>(last - Weekday(date.year, month, last) % 7), month, date.year});
  };
  const long long now = static_cast<long long>(serial) * 1440 + minute;
  const long long summer = static_cast<long long>(lastSunday(3)) * 1440 + 60;
  const long long winter = static_cast<long long>(lastSunday(10)) * 1440 + 60;
  return now >= summer && now < winter ? 120 : 60;
}

// Reads a DATE (yyyymmdd) or DATE-TIME (yyyymmddThhmmss, Z for UTC) value.
// UTC times come back in Spain's peninsular time.
std::optional<Moment> ReadMoment(std::string_view value, std::string_view valueType,
                                 std::string_view tzid) {
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
  const bool zulu = value.size() == 16 && (value[15] == 'Z' || value[15] == 'z');
  if ((value.size() != 15 && !zulu) || (value[8] != 'T' && value[8] != 't')) return std::nullopt;
  const int hour = Digits(value, 9, 2);
  const int minute = Digits(value, 11, 2);
  const int second = Digits(value, 13, 2);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60) {
    return std::nullopt;
  }
  moment.minutes = hour * 60 + minute;
  if (zulu || IsUtcZone(tzid)) {
    const std::int32_t serial = DaySerial(moment.date);
    const long long local = static_cast<long long>(serial) * 1440 + moment.minutes +
                            SpainOffset(serial, moment.minutes);
    const auto localDay = static_cast<std::int32_t>(local / 1440);
    if (localDay > DaySerial({31, 12, 9999})) return std::nullopt;
    moment.date = DateFromSerial(localDay);
    moment.minutes = static_cast<int>(local % 1440);
  }
  return moment;
}

std::optional<Moment> ReadMoment(const ContentLine& line) {
  return ReadMoment(line.value, line.Param("VALUE"), line.Param("TZID"));
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

// Why an event could not be placed; counted and told to the user.
enum Unplaced : std::size_t { kNoStart, kOtherRepetition, kCancelled, kTooLong, kUnplacedKinds };

constexpr std::array<std::string_view, kUnplacedKinds> kUnplacedWhy = {
    "sin una fecha de inicio (DTSTART) v\xE1lida",
    "con una repetici\xF3n que no es anual (solo se admite RRULE:FREQ=YEARLY)",
    "con STATUS:CANCELLED",
    "que duran m\xE1s de un a\xF1o",
};

// What one VEVENT said.
struct Event {
  std::size_t summaryLine = 0;
  std::optional<ContentLine> start, end;
  std::string duration;
  std::string summary;
  bool hasSummary = false;
  std::string rrule;
  std::vector<ContentLine> exdates;
  std::optional<ContentLine> recurrenceId;
  std::string uid;
  bool cancelled = false;
  bool extraDates = false;  // RDATE
};

// Days of "P3D" or "P2W"; 0 for any other duration.
int DurationDays(std::string_view value) {
  if (value.size() < 3 || value.front() != 'P') return 0;
  const char unit = value.back();
  const std::string_view number = value.substr(1, value.size() - 2);
  if (number.empty() || number.size() > 4 || (unit != 'D' && unit != 'W')) return 0;
  const int n = Digits(number, 0, number.size());
  return n < 0 ? 0 : n * (unit == 'W' ? 7 : 1);
}

// Applies a yearly RRULE to `rule` (a kYearly rule from the event's start).
// False when the rule asks for something the agenda cannot place.
bool ApplyYearlyRule(std::string_view rrule, AgendaRule& rule) {
  int count = -1;
  std::optional<Moment> until;
  bool yearly = false;
  std::size_t at = 0;
  while (at <= rrule.size()) {
    const std::size_t end = std::min(rrule.find(';', at), rrule.size());
    const std::string part = Upper(rrule.substr(at, end - at));
    at = end + 1;
    if (part.empty()) continue;
    const std::size_t equals = part.find('=');
    if (equals == std::string::npos) return false;
    const std::string key = part.substr(0, equals);
    const std::string value = part.substr(equals + 1);
    const int number = value.empty() || value.size() > 6 ? -1 : Digits(value, 0, value.size());
    if (key == "FREQ") {
      yearly = value == "YEARLY";
    } else if (key == "INTERVAL") {
      if (number < 1 || number > 9999) return false;
      rule.interval = static_cast<std::int16_t>(number);
    } else if (key == "COUNT") {
      if (number < 1) return false;
      count = number;
    } else if (key == "UNTIL") {
      until = ReadMoment(value, {}, {});
      if (!until) return false;
    } else if (key == "BYMONTH") {
      if (number != rule.date.month) return false;
    } else if (key == "BYMONTHDAY") {
      if (number != rule.date.day) return false;
    } else if (key != "WKST") {
      return false;
    }
  }
  if (!yearly) return false;
  int last = 9999;
  if (until) {
    last = until->date.year;
    const PageDate inLast{rule.date.day, rule.date.month, until->date.year};
    if (IsValidPageDate(inLast) && DaySerial(inLast) > DaySerial(until->date)) --last;
  }
  if (count > 0) {
    // A 29 February occurs, and counts, in leap years only.
    int seen = 0;
    int y = rule.date.year;
    for (; y <= 9999; y += rule.interval) {
      if (IsValidPageDate({rule.date.day, rule.date.month, static_cast<std::int16_t>(y)}) &&
          ++seen == count) {
        break;
      }
    }
    last = std::min(last, y);
  }
  rule.lastYear =
      static_cast<std::int16_t>(std::clamp(last, static_cast<int>(rule.date.year), 9999));
  return true;
}

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
    if (line.name == "BEGIN") {
      const std::string component = Upper(line.value);
      if (stack_.empty() && component != "VCALENDAR") {
        return Refuse(result_, lineNumber, "se esperaba BEGIN:VCALENDAR");
      }
      if (stack_.size() == kMaxNesting) {
        return Refuse(result_, lineNumber, "demasiados componentes anidados");
      }
      stack_.push_back(component);
      if (component == "VEVENT" && stack_.size() == 2) {
        if (++events_ > kMaxEntriesPerFile) {
          return Refuse(result_, lineNumber,
                        "demasiados eventos: como mucho " + std::to_string(kMaxEntriesPerFile) +
                            " por archivo");
        }
        event_ = Event{};
      }
      return true;
    }
    if (line.name == "END") {
      const std::string component = Upper(line.value);
      if (stack_.empty() || stack_.back() != component) {
        return Refuse(result_, lineNumber,
                      "END:" + component.substr(0, 20) + " no cierra ning\xFAn BEGIN abierto");
      }
      if (component == "VEVENT" && stack_.size() == 2) Place();
      stack_.pop_back();
      return true;
    }
    if (stack_.empty()) {
      return Refuse(result_, lineNumber,
                    "hay una l\xED"
                    "nea fuera de BEGIN:VCALENDAR ... END:VCALENDAR");
    }
    if (stack_.size() == 2 && stack_.back() == "VEVENT") Note(line, lineNumber);
    return true;
  }

  // After the last line; false when a component was left open.
  bool Finish(std::size_t lineNumber) {
    if (!stack_.empty()) {
      return Refuse(result_, lineNumber,
                    "el calendario termina sin END:" + stack_.back().substr(0, 20));
    }
    for (const auto& [uid, first] : moved_) {
      for (std::size_t i = 0; i < result_.rules.size(); ++i) {
        if (uids_[i] == uid && result_.rules[i].kind == AgendaRule::Kind::kYearly) {
          result_.rules[i].skip.push_back(first);
        }
      }
    }
    std::size_t total = 0;
    std::string why;
    for (std::size_t k = 0; k < kUnplacedKinds; ++k) {
      if (unplaced_[k] == 0) continue;
      total += unplaced_[k];
      why += (why.empty() ? "" : "; ") + std::to_string(unplaced_[k]) + " " +
             std::string(kUnplacedWhy[k]);
    }
    if (total > 0) {
      result_.notes.push_back(std::to_string(total) + " de " + std::to_string(events_) +
                              " eventos sin colocar: " + why);
    }
    if (extraDates_ > 0) {
      result_.notes.push_back(std::to_string(extraDates_) +
                              " eventos con fechas RDATE: solo se coloca su DTSTART");
    }
    agenda_internal::NoteLostCharacters(result_, lost_, lostLines_);
    return true;
  }

 private:
  void Note(const ContentLine& line, std::size_t lineNumber) {
    if (line.name == "DTSTART") {
      event_.start = line;
    } else if (line.name == "DTEND") {
      event_.end = line;
    } else if (line.name == "DURATION") {
      event_.duration = Upper(line.value);
    } else if (line.name == "SUMMARY") {
      event_.summary = Unescape(line.value);
      event_.hasSummary = true;
      event_.summaryLine = lineNumber;
    } else if (line.name == "RRULE") {
      event_.rrule = line.value;
    } else if (line.name == "EXDATE") {
      event_.exdates.push_back(line);
    } else if (line.name == "RDATE") {
      event_.extraDates = true;
    } else if (line.name == "RECURRENCE-ID") {
      event_.recurrenceId = line;
    } else if (line.name == "UID") {
      event_.uid = line.value;
    } else if (line.name == "STATUS") {
      event_.cancelled = Upper(line.value) == "CANCELLED";
    }
  }

  void Place() {
    // An event with RECURRENCE-ID replaces (or, cancelled, removes) one
    // occurrence of the repeating event with the same UID.
    if (event_.recurrenceId) {
      const auto moved = ReadMoment(*event_.recurrenceId);
      if (moved && !event_.uid.empty()) moved_.emplace_back(event_.uid, DaySerial(moved->date));
    }
    if (event_.cancelled) {
      ++unplaced_[kCancelled];
      return;
    }
    const std::optional<Moment> start = event_.start ? ReadMoment(*event_.start) : std::nullopt;
    if (!start) {
      ++unplaced_[kNoStart];
      return;
    }
    AgendaRule rule;
    rule.kind = AgendaRule::Kind::kOnce;
    rule.date = start->date;
    if (start->minutes < 0) {
      // An all-day event covers the days up to, not including, DTEND.
      std::int32_t days = 1;
      const std::optional<Moment> end = event_.end ? ReadMoment(*event_.end) : std::nullopt;
      if (end) days = DaySerial(end->date) - DaySerial(start->date);
      if (!event_.duration.empty()) days = DurationDays(event_.duration);
      if (days > AgendaRule::kMaxSpanDays) {
        ++unplaced_[kTooLong];
        return;
      }
      rule.spanDays = std::max(days, 1);
    }
    if (!event_.rrule.empty()) {
      rule.kind = AgendaRule::Kind::kYearly;
      if (!ApplyYearlyRule(event_.rrule, rule)) {
        ++unplaced_[kOtherRepetition];
        return;
      }
      for (const ContentLine& exdate : event_.exdates) {
        const std::string_view list = exdate.value;
        for (std::size_t at = 0; at <= list.size();) {
          const std::size_t end = std::min(list.find(',', at), list.size());
          const auto skipped =
              ReadMoment(list.substr(at, end - at), exdate.Param("VALUE"), exdate.Param("TZID"));
          if (skipped) rule.skip.push_back(DaySerial(skipped->date));
          at = end + 1;
        }
      }
    }
    if (event_.extraDates) ++extraDates_;
    std::string text = agenda_internal::EntryText(event_.summary, lost_);
    if (lost_ != lostSeen_) {
      lostSeen_ = lost_;
      if (lostLines_.size() < 40) {
        lostLines_ += (lostLines_.empty() ? "" : ", ") + std::to_string(event_.summaryLine);
      }
    }
    if (text.empty()) text = "(sin t\xEDtulo)";
    if (start->minutes >= 0) {
      char time[16];
      std::snprintf(time, sizeof time, "%02d:%02d ", start->minutes / 60, start->minutes % 60);
      text.insert(0, time);
    }
    rule.entry.text = std::move(text);
    result_.rules.push_back(std::move(rule));
    uids_.push_back(event_.uid);
  }

  agenda_internal::FileReading& result_;
  std::vector<std::string> stack_;
  Event event_;
  std::size_t events_ = 0;
  std::array<std::size_t, kUnplacedKinds> unplaced_{};
  std::size_t extraDates_ = 0;
  std::size_t lost_ = 0;
  std::size_t lostSeen_ = 0;
  std::string lostLines_;
  std::vector<std::string> uids_;                            // beside result_.rules
  std::vector<std::pair<std::string, std::int32_t>> moved_;  // RECURRENCE-ID: uid, original day
};

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
