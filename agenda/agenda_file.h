// The user's date files: a plain list of dates ("fechas") or an iCalendar
// file (.ics), read into agenda rules.
//
// Files are untrusted. They are read whole, within fixed bounds, and either
// come back complete or are refused with the line and the reason; a refused
// file adds nothing. Refusals and notes are Spanish, UTF-8. The file's
// texts are UTF-8 and are converted to Windows-1252 for the entries (a
// character the code page lacks becomes '?', and a note says on which line).
//
// The date list, one entry a line (blank lines and lines that start with
// '#' are skipped; blanks around the parts are ignored):
//   dd/mm Texto          every year (29/02: in leap years only)
//   dd/mm/aaaa Texto     that day only (years 1 to 9999)
//   pascua Texto         Easter Sunday; pascua+N / pascua-N: N days after /
//                        before it, N from -kMaxEasterDaysBefore to
//                        +kMaxEasterDaysAfter, so the day stays in Easter's year
//   !...                 a leading '!' makes the entry a holiday
//
// iCalendar (RFC 5545), recognised by its first line BEGIN:VCALENDAR: each
// VEVENT gives an entry from its SUMMARY (lines unfolded, the escapes \\ \;
// \, and \n undone, a line break shown as " / "). All-day events
// (DTSTART;VALUE=DATE) cover every day up to DTEND; timed events show on
// their first day as "HH:MM Texto". A time in UTC (ending in Z, or
// TZID=UTC) is shown in the peninsular time of Spain (CET, or CEST between
// the last Sundays of March and October at 01:00 UTC); any other TZID and
// floating times are shown as written, the wall-clock time of the event's
// own zone. RRULE:FREQ=YEARLY (with INTERVAL, COUNT, UNTIL, and BYMONTH /
// BYMONTHDAY naming the start's own day) repeats the event; EXDATE leaves
// occurrences out. Events the agenda cannot place (other repetitions, no
// usable start, cancelled) are counted in the notes, never dropped quietly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "agenda/agenda.h"
#include "base/result.h"

namespace trevalda {

// Bounds on what a file may hold.
inline constexpr std::uintmax_t kMaxAgendaFileBytes = 16u << 20;  // 16 MiB
inline constexpr std::size_t kMaxDateLineBytes = 1024;            // a date-list line
inline constexpr std::size_t kMaxCalendarLineBytes = 64u << 10;   // an unfolded .ics line
inline constexpr std::size_t kMaxEntriesPerFile = 10000;          // date lines or VEVENTs
inline constexpr int kMaxEasterDaysBefore = 80;
inline constexpr int kMaxEasterDaysAfter = 250;

// What a file gives the agenda.
struct AgendaFile {
  std::vector<AgendaRule> rules;  // in the order of the file
  // What was read but not used as written, for the user (one note a line,
  // UTF-8; it may quote the file, so escape it before showing it).
  std::vector<std::string> notes;
};

// Reads a file's bytes: an iCalendar file when its first line (after an
// optional UTF-8 byte-order mark and blank lines) is BEGIN:VCALENDAR, else a
// date list. A refusal says "línea N: " and why (UTF-8, the reason escaped
// with ShownText, as it may quote the file), or only why when it concerns
// the whole file.
Result<AgendaFile> ReadAgendaText(std::string_view bytes);
Result<AgendaFile> ReadDateList(std::string_view bytes);
Result<AgendaFile> ReadCalendar(std::string_view bytes);

// Reads the file at `path` (at most kMaxAgendaFileBytes) and then its
// bytes as ReadAgendaText does. A missing, unreadable or oversized file is
// refused as a whole. A refusal names the file (ShownPath) and the line:
// "fechas.txt:2: no empieza por una fecha ...", "fechas.txt: no existe".
Result<AgendaFile> ReadAgendaFile(const std::filesystem::path& path);

// Reads `stream` (standard input, already in binary mode) to its end, at
// most kMaxAgendaFileBytes, and then as ReadAgendaText does. A refusal is
// named "(entrada estándar)", as ReadAgendaFile names the file.
Result<AgendaFile> ReadAgendaStream(std::FILE* stream);

}  // namespace trevalda
