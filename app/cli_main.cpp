// The `trevalda` command: writes the diary page for a date or for a range of
// dates, or describes them. Messages for the user are Spanish and UTF-8; the
// program's own texts are Windows-1252 and converted on the way out.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "agenda/agenda.h"
#include "agenda/agenda_file.h"
#include "app/cli_options.h"
#include "app/console.h"
#include "app/create_page.h"
#include "app/yearbook.h"
#include "page/day_page.h"
#include "text/cp1252.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

constexpr int kExitSaved = 0;
constexpr int kExitNotSaved = 1;
constexpr int kExitUsage = 2;
// A run ended by a signal exits with 128 + its number, as the shells report
// a process the signal killed: 130 for Ctrl-C, 143 for TERM, 129 for HUP.
constexpr int kExitSignalBase = 128;

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStop(int signal) {
  stopSignal = signal;
  StopSaving();
}

void PrintLine(std::FILE* stream, std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
  std::fputc('\n', stream);
}

int Refuse(std::string_view why) {
  PrintLine(stderr, "trevalda: " + std::string(why));
  return kExitUsage;
}

std::string Shown(const std::string& typed) { return "\"" + ShownText(typed) + "\""; }

// When printing is the job (--describe, --help, --version), output that
// could not be written is a failure, reported on stderr, as in the GNU tools.
int FinishPrinting() {
  int error = OutputWasClosed() ? EBADF : 0;
  if (std::ferror(stdout) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (std::fflush(stdout) != 0 && error == 0) error = errno;
  if (std::fclose(stdout) != 0 && error == 0) error = errno;
  if (error == 0) return kExitSaved;
  PrintLine(stderr, "trevalda: no se pudo escribir en la salida estándar: " +
                        std::generic_category().message(error));
  return kExitNotSaved;
}

// Today's date in local time, as the date picker shows it.
std::string TodayText() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return {};
  return DateText({static_cast<std::int16_t>(local->tm_mday),
                   static_cast<std::int16_t>(local->tm_mon + 1),
                   static_cast<std::int16_t>(local->tm_year + 1900)});
}

// Reads a typed date into a checked page date; on failure prints why.
bool ReadTypedDate(const std::string& typed, PageDate& date) {
  const auto dateText = NormalizeDateText(typed);
  std::string stem;
  std::string why;
  if (!dateText) {
    Refuse("fecha no válida: " + Shown(typed) +
           ". Escribe día/mes/año con el año en cuatro cifras, por ejemplo 07/12/2026.");
    return false;
  }
  if (!ReadDateText(*dateText, stem, date, why)) {
    Refuse(why);
    return false;
  }
  return true;
}

// The range the command line asks for, checked.
bool ReadRange(const CliOptions& options, DateRange& range) {
  if (!options.year.empty()) {
    const auto& y = options.year;
    if (y.size() != 4 || y.find_first_not_of("0123456789") != std::string::npos || y == "0000") {
      Refuse("año no válido: " + Shown(y) + ". Escribe el año en cuatro cifras, por ejemplo 2027.");
      return false;
    }
    range = YearRange(static_cast<std::int16_t>(std::stoi(y)));
    return true;
  }
  const std::string first = options.hasDate ? options.date : TodayText();
  if (!ReadTypedDate(first, range.first)) return false;
  range.last = range.first;
  if (!options.toDate.empty() && !ReadTypedDate(options.toDate, range.last)) return false;
  if (DaySerial(range.last) < DaySerial(range.first)) {
    Refuse("la fecha de --to es anterior a la primera");
    return false;
  }
  if (RangeLength(range) > kMaxRangeDays) {
    Refuse("la serie pasa de diez años (" + std::to_string(kMaxRangeDays) + " días como mucho)");
    return false;
  }
  return true;
}

// Fills `agenda` from --holidays and every --dates file, in order. A file
// that cannot be used refuses the whole command: nothing is written.
// "-" is standard input, read once.
bool LoadAgenda(const CliOptions& options, Agenda& agenda) {
  if (options.holidays) agenda.AddNationalHolidays();
  bool inputRead = false;
  for (const std::string& typed : options.dateFiles) {
    const bool input = typed == "-";
    if (input && inputRead) {
      Refuse("--dates - lee la entrada estándar, y solo se puede leer una vez");
      return false;
    }
    if (input) {
      inputRead = true;
      UseBinaryStandardInput();
    }
    const std::string name = input ? "(entrada estándar)" : ShownText(typed, kShownPathLimit);
    AgendaFileResult file;
    try {
      file = input ? ReadAgendaStream(stdin) : ReadAgendaFile(PathFromArgument(typed));
    } catch (const std::bad_alloc&) {
      Refuse(name + ": no hay memoria suficiente para leerlo");
      return false;
    }
    if (!file.ok) {
      const std::string where = file.line == 0 ? name : name + ":" + std::to_string(file.line);
      // A reason may quote the file: escaped too.
      Refuse(where + ": " + ShownText(file.reason, kShownPathLimit));
      return false;
    }
    for (const std::string& note : file.notes) {
      PrintLine(stderr, "trevalda: aviso: " + name + ": " + ShownText(note, kShownPathLimit));
    }
    for (const AgendaRule& rule : file.rules) agenda.Add(rule);
  }
  return true;
}

int Describe(const DateRange& range, const AgendaOptions& agenda) {
  InitializeTables();
  const std::int32_t total = RangeLength(range);
  for (std::int32_t i = 0; i < total; ++i) {
    if (i > 0) PrintLine(stdout, "");
    const PageDate date = DateFromSerial(DaySerial(range.first) + i);
    const DayPageTexts texts = MakeDayPageTexts(date, PageContentFor(agenda, date));
    for (const std::string* text : {&texts.monthName, &texts.weekdayName, &texts.dayNumber,
                                    &texts.saint, &texts.counters, &texts.week, &texts.year}) {
      PrintLine(stdout, Cp1252ToUtf8(*text));
    }
    // The agenda's texts follow the classic ones, as the page draws them.
    if (!texts.holiday.empty()) PrintLine(stdout, Cp1252ToUtf8(texts.holiday));
    for (const std::string& line : texts.entryLines) PrintLine(stdout, Cp1252ToUtf8(line));
    if (std::ferror(stdout) != 0) break;  // no use going on
  }
  return FinishPrinting();
}

// A one-line progress bar on a terminal: count, bar and the time left.
class ProgressBar {
 public:
  explicit ProgressBar(bool enabled) : enabled_(enabled) {}
  ~ProgressBar() { Finish(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  bool Update(std::int32_t done, std::int32_t total) {
    if (enabled_) {
      const auto now = Clock::now();
      if (done == total || now - lastDrawn_ >= std::chrono::milliseconds(100)) {
        lastDrawn_ = now;
        Draw(done, total, now);
      }
    }
    return stopSignal == 0;
  }

  void Finish() {
    if (enabled_ && drawn_) std::fputc('\n', stderr);
    drawn_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;

  void Draw(std::int32_t done, std::int32_t total, Clock::time_point now) {
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(static_cast<long long>(kWidth) * done / total);
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double left = done > 0 ? elapsed / done * (total - done) : 0;
    std::fprintf(stderr, "\r[%s%s] %d/%d  quedan %.0f s ", std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, '.').c_str(), done, total, left);
    std::fflush(stderr);
    drawn_ = true;
  }

  bool enabled_;
  bool drawn_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point lastDrawn_{};
};

int WriteRange(const CliOptions& options, const DateRange& range, const AgendaOptions& agenda) {
  const bool single = range.first == range.last;
  ProgressBar bar(!single && !options.quiet && ErrorIsTerminal());
  const RangeProgress progress = [&bar](std::int32_t done, std::int32_t total) {
    return bar.Update(done, total);
  };
  CatchStopSignals(OnStop);

  RangeOutcome outcome;
  std::string report;
  if (options.format == CliFormat::kPdf) {
    std::filesystem::path file = PathFromArgument(options.output);
    const std::filesystem::path defaultName(DefaultPdfName(range));
    std::error_code ignored;
    if (file.empty()) {
      file = defaultName;
    } else if (std::filesystem::is_directory(file, ignored)) {
      file /= defaultName;
    }
    outcome = CreateYearbookPdf(range, file, options.sheets, progress, agenda);
    report = "Grabado " + ShownPath(file) + " (" + std::to_string(outcome.pagesDone) + " hojas)";
  } else {
    const PageFormat format =
        options.format == CliFormat::kPng ? PageFormat::kPng : PageFormat::kBmp;
    outcome = CreatePageFiles(range, PathFromArgument(options.output), format, progress, agenda);
    report = single ? "Grabado " + DateStem(range.first)
                    : "Grabadas " + std::to_string(outcome.pagesDone) + " hojas";
  }
  bar.Finish();
  // The notice is not the job: if it cannot be printed (a closed pipe), the
  // exit code is still the save's.
  if (outcome.status == RangeStatus::kDone) PrintLine(stdout, report);
  if (stopSignal != 0) {
    const bool pdf = options.format == CliFormat::kPdf;
    if (outcome.status == RangeStatus::kDone) {
      PrintLine(stderr, "trevalda: interrumpido cuando ya estaba todo grabado");
    } else if (pdf) {
      PrintLine(stderr, "trevalda: interrumpido; el documento no se ha grabado");
    } else {
      PrintLine(stderr, "trevalda: interrumpido tras " + std::to_string(outcome.pagesDone) +
                            " hojas; no queda ningún archivo a medias");
    }
    return kExitSignalBase + stopSignal;
  }
  if (outcome.status == RangeStatus::kDone) return kExitSaved;
  PrintLine(stderr, "trevalda: " + outcome.message);
  return kExitNotSaved;
}

int Run(const std::vector<std::string>& args) {
  const Result<CliOptions> parsed = ParseCommandLine(args);
  if (!parsed) return Refuse(parsed.message() + "\nPrueba 'trevalda --help'.");
  const CliOptions& options = *parsed;
  switch (options.action) {
    case CliAction::kHelp:
      std::fwrite(UsageText().data(), 1, UsageText().size(), stdout);
      return FinishPrinting();
    case CliAction::kVersion:
      PrintLine(stdout, "trevalda " TREVALDA_VERSION " (" TREVALDA_BUILT_FOR ")");
      return FinishPrinting();
    case CliAction::kWritePage:
    case CliAction::kDescribe:
      break;
  }
  DateRange range;
  if (!ReadRange(options, range)) return kExitUsage;
  Agenda agenda;
  try {
    if (!LoadAgenda(options, agenda)) return kExitUsage;
  } catch (const std::bad_alloc&) {
    return Refuse("no hay memoria suficiente para las fechas de --dates");
  }
  AgendaOptions agendaOptions;
  agendaOptions.agenda = &agenda;
  agendaOptions.week = options.isoWeek ? WeekRule::kIso : WeekRule::kDiary;
  // Memory that runs out while the pages are made ends the run there:
  // nothing more is written.
  try {
    if (options.action == CliAction::kDescribe) return Describe(range, agendaOptions);
    return WriteRange(options, range, agendaOptions);
  } catch (const std::bad_alloc&) {
    std::fflush(stdout);
    PrintLine(stderr,
              "trevalda: no hay memoria suficiente; se detiene aquí y no se graba nada más");
    return kExitNotSaved;
  }
}

}  // namespace
}  // namespace trevalda

int main(int argc, char** argv) {
  trevalda::PrepareConsole();
  try {
    return trevalda::Run(trevalda::CommandLineArguments(argc, argv));
  } catch (const std::bad_alloc&) {
    std::fputs("trevalda: no hay memoria suficiente\n", stderr);
    return 1;
  }
}
