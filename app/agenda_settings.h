// The agenda dialog's choices, the file that remembers them (agenda.ini) and
// the command line they stand for.
//
// The dialog never interprets a choice itself: AgendaArguments turns the
// choices into the arguments the command line would take, which
// ParseCommandLine (app/cli_options.h) reads and RunAgendaJob
// (app/agenda_job.h) carries out. Whether a choice can be combined with the
// others is asked of the same parser (AllowedChoices), so the dialog offers
// exactly what the command line accepts.
//
// agenda.ini is UTF-8 (a byte-order mark is skipped), one `clave=valor` a
// line, LF or CR LF; blanks around key and value are ignored, lines starting
// with "#" or ";" and lines without "=" are skipped, unknown keys are
// ignored and a value that is not valid leaves that choice at its default:
//   desde, hasta   dd/mm/aaaa (a range the command line takes: hasta not
//                  before desde, at most kMaxRangeDays days; else both default)
//   formato        bmp | png | pdf            festivos  0 | 1
//   papel          a4 | a5 | letter | tablet, as --paper takes it
//   margen         millimetres, as --binding-margin takes them
//   librito        0 | 1 (--booklet)
//   zona           a time zone, as --tz takes it
//   estilo         clasico | moderno (--style classic | modern; the command
//                  line's words are taken too)
//   horas          H1-H2, as --hours takes them (empty: none)
//   lugar          a place, as --place takes it
//   planificador   0 | 1 (--planner)
//   notas          0 to 31 notes pages a month, as --notes takes them
//   fechas1..N     full paths of dates files (N up to kMaxDateFiles, in N order)
//   carpeta        the output folder (empty: the front end's default)
// Paths are UTF-8. Reading never fails; at most kMaxSettingsBytes are read.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/calendar.h"

namespace trevalda {

// The longest agenda.ini a front end reads; the rest is ignored.
inline constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

// The choices that map to one page option each and that only some
// combinations allow (AllowedChoices), in the order they are decided: an
// earlier one that is allowed and made can rule a later one out (the modern
// style opens hours and place; a paper other than A4 closes the booklet).
enum class AgendaChoice {
  kStyle,
  kHours,
  kPlace,
  kPaper,
  kMargin,
  kBooklet,
  kPlanner,
  kNotes,
  kZone
};
inline constexpr std::size_t kAgendaChoiceCount = 9;

// A word agenda.ini spells a value with, and the option's value it stands
// for ("moderno", "modern").
struct AgendaWord {
  std::string_view word;
  std::string_view value;
};

// What a choice is: its key in agenda.ini, its option, whether it is a
// switch (an option without a value, "0" or "1" in the settings), the value
// that adds nothing (as does an empty value), a value the parser is asked
// to take to see whether the choice is possible at all, and the words
// agenda.ini writes its values with (none: the option's own values).
struct AgendaChoiceSpec {
  std::string_view key;
  std::string_view option;
  bool isSwitch = false;
  std::string_view byDefault;
  std::string_view probe;
  std::span<const AgendaWord> words = {};
};

const AgendaChoiceSpec& SpecOf(AgendaChoice choice);

struct AgendaSettings {
  PageDate from;
  PageDate to;
  std::string format = "pdf";  // as --format takes it
  bool holidays = true;
  std::vector<std::string> dateFiles;  // full paths, UTF-8
  std::string folder;                  // UTF-8; empty: the front end's default
  // Each AgendaChoice's value as its option takes it ("a5", "7,5",
  // "modern"), a switch's "0" or "1".
  std::array<std::string, kAgendaChoiceCount> choices;

  AgendaSettings();
  std::string& operator[](AgendaChoice choice) { return choices[static_cast<std::size_t>(choice)]; }
  const std::string& operator[](AgendaChoice choice) const {
    return choices[static_cast<std::size_t>(choice)];
  }
};

// The year the dialog starts on: this one, or the next from October on.
std::int16_t DefaultAgendaYear(const PageDate& today);

// Every choice at its default: the whole DefaultAgendaYear, a PDF.
AgendaSettings DefaultAgendaSettings(const PageDate& today);

// Reads the text of agenda.ini over the defaults for `today`.
AgendaSettings ReadAgendaSettings(std::string_view text, const PageDate& today);

// The text of agenda.ini for `settings` (CR LF lines). A path that holds a
// line break cannot be written and is left out.
std::string WriteAgendaSettings(const AgendaSettings& settings);

// For each AgendaChoice, whether the command line takes it (with a value
// other than its default) together with the settings' other choices: the
// parser itself is asked.
std::array<bool, kAgendaChoiceCount> AllowedChoices(const AgendaSettings& settings);

// The command line the settings stand for, without the program name: the
// range, --format, -o (when a folder is set), --holidays, every --dates,
// and each choice that is allowed and differs from its default.
std::vector<std::string> AgendaArguments(const AgendaSettings& settings);

}  // namespace trevalda
