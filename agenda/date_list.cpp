// The date list: "dd/mm Texto", "dd/mm/aaaa Texto", "pascua+N Texto", each
// optionally marked a holiday with a leading '!'.
#include <string>
#include <string_view>

#include "agenda/agenda_file.h"
#include "agenda/reader_support.h"
#include "calendar/calendar.h"

namespace trevalda {
namespace {

using agenda_internal::Refuse;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Reads 1..`most` digits at the front of `text`; -1 when there are none or
// more than `most`.
int TakeNumber(std::string_view& text, std::size_t least, std::size_t most) {
  std::size_t n = 0;
  int value = 0;
  while (n < text.size() && IsDigit(text[n])) {
    if (n == most) return -1;
    value = value * 10 + (text[n] - '0');
    ++n;
  }
  if (n < least) return -1;
  text.remove_prefix(n);
  return value;
}

bool IsDateSeparator(char c) { return c == '/' || c == '\\' || c == '-' || c == '.'; }

bool StartsWithWord(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != word[i]) return false;
  }
  return true;
}

constexpr std::string_view kNotADate =
    "no empieza por una fecha (dd/mm, dd/mm/aaaa, pascua, pascua+N o pascua-N)";

// Reads the date part at the front of `text` into `rule`; `text` keeps the
// rest. False with `why` when the line does not start with a date form or
// the date does not exist.
bool ReadDatePart(std::string_view& text, AgendaRule& rule, std::string& why) {
  if (StartsWithWord(text, "pascua")) {
    text.remove_prefix(6);
    rule.kind = AgendaRule::Kind::kEaster;
    if (text.empty() || IsBlank(text.front())) return true;
    const char sign = text.front();
    if (sign != '+' && sign != '-') {
      why = kNotADate;
      return false;
    }
    text.remove_prefix(1);
    const int days = TakeNumber(text, 1, 3);
    if (days < 0) {
      why =
          "tras pascua+ o pascua- van los d\xED"
          "as, por ejemplo pascua+1 o pascua-3";
      return false;
    }
    if ((sign == '-' && days > kMaxEasterDaysBefore) ||
        (sign == '+' && days > kMaxEasterDaysAfter)) {
      why = "pascua" + std::string(1, sign) + std::to_string(days) +
            " se sale del a\xF1o de la Pascua: se admite de pascua-" +
            std::to_string(kMaxEasterDaysBefore) + " a pascua+" +
            std::to_string(kMaxEasterDaysAfter);
      return false;
    }
    rule.easterOffset = static_cast<std::int16_t>(sign == '-' ? -days : days);
    return true;
  }
  // The separators of the command line's dates: 12/10, 12-10, 12.10, 12\10;
  // and the year first, 2026-10-12.
  const auto separator = [&text] {
    if (text.empty() || !IsDateSeparator(text.front())) return false;
    text.remove_prefix(1);
    return true;
  };
  int day = -1;
  int month = -1;
  int year = 0;
  bool once = false;
  std::string_view probe = text;
  if (const int first = TakeNumber(probe, 4, 4); first >= 0) {
    text = probe;
    year = first;
    once = true;
    if (!separator() || (month = TakeNumber(text, 1, 2)) < 0 || !separator() ||
        (day = TakeNumber(text, 1, 2)) < 0) {
      why = kNotADate;
      return false;
    }
  } else {
    day = TakeNumber(text, 1, 2);
    if (day < 0 || !separator() || (month = TakeNumber(text, 1, 2)) < 0) {
      why = kNotADate;
      return false;
    }
    once = separator();
    if (once) {
      year = TakeNumber(text, 4, 4);
      if (year < 0) {
        why = "el a\xF1o va con cuatro cifras, por ejemplo 07/12/2026";
        return false;
      }
    }
  }
  rule.kind = once ? AgendaRule::Kind::kOnce : AgendaRule::Kind::kYearly;
  // A yearly date is checked against a leap year: 29/02 exists then.
  rule.date = {static_cast<std::int16_t>(day), static_cast<std::int16_t>(month),
               static_cast<std::int16_t>(once ? year : 1)};
  const PageDate check{rule.date.day, rule.date.month,
                       static_cast<std::int16_t>(once ? year : 2000)};
  if (!IsValidPageDate(check)) {
    const std::string shown = DateText(check);
    why = (once ? shown : shown.substr(0, 5)) + " no existe en el calendario";
    return false;
  }
  return true;
}

}  // namespace

agenda_internal::FileReading agenda_internal::ReadDateListText(std::string_view bytes) {
  agenda_internal::FileReading result;
  if (!agenda_internal::CheckUtf8Text(bytes, result)) return result;
  bytes = agenda_internal::WithoutByteOrderMark(bytes);
  std::size_t position = 0;
  std::size_t lineNumber = 0;
  std::size_t lost = 0;
  std::string lostLines;
  std::string_view raw;
  while (agenda_internal::NextLine(bytes, position, raw)) {
    ++lineNumber;
    if (raw.size() > kMaxDateLineBytes) {
      Refuse(result, lineNumber,
             "la l\xED"
             "nea es demasiado larga (m\xE1s de " +
                 std::to_string(kMaxDateLineBytes) + " bytes)");
      return result;
    }
    std::string_view line = Trimmed(raw);
    if (line.empty() || line.front() == '#') continue;
    if (result.rules.size() == kMaxEntriesPerFile) {
      Refuse(
          result, lineNumber,
          "demasiadas fechas: como mucho " + std::to_string(kMaxEntriesPerFile) + " por archivo");
      return result;
    }
    AgendaRule rule;
    if (line.front() == '!') {
      rule.entry.holiday = true;
      line = Trimmed(line.substr(1));
    }
    std::string why;
    if (!ReadDatePart(line, rule, why)) {
      Refuse(result, lineNumber, why);
      return result;
    }
    if (!line.empty() && !IsBlank(line.front())) {
      Refuse(result, lineNumber, "falta un espacio entre la fecha y el texto");
      return result;
    }
    const std::size_t lostBefore = lost;
    rule.entry.text = agenda_internal::EntryText(line, lost);
    if (rule.entry.text.empty()) {
      Refuse(result, lineNumber, "falta el texto tras la fecha");
      return result;
    }
    if (lost != lostBefore && lostLines.size() < 40) {
      lostLines += (lostLines.empty() ? "" : ", ") + std::to_string(lineNumber);
    }
    result.rules.push_back(std::move(rule));
  }
  agenda_internal::NoteLostCharacters(result, lost, lostLines);
  result.ok = true;
  return result;
}

}  // namespace trevalda
