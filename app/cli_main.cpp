// The `trevalda` command: writes the diary page for a date or for a range of
// dates, or describes them. Messages for the user are Spanish and UTF-8; the
// program's own texts are Windows-1252 and converted on the way out.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "agenda/agenda.h"
#include "app/agenda_job.h"
#include "app/cli_options.h"
#include "app/console.h"
#include "app/create_page.h"
#include "app/yearbook.h"
#include "page/day_page.h"
#include "text/cp1252.h"
#include "text/error_text.h"
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

// The first signal names the exit code; later ones change nothing.
extern "C" void OnStop(int signal) {
  if (stopSignal == 0) stopSignal = signal;
  StopSaving();
}

// The C library's reason for the first write to standard output that
// failed (0 when none did).
int writeError = 0;

void PrintLine(std::FILE* stream, std::string_view utf8) {
  errno = 0;
  const bool written = std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size() &&
                       std::fputc('\n', stream) != EOF;
  if (!written && stream == stdout && writeError == 0) writeError = errno;
}

int Refuse(std::string_view why) {
  PrintLine(stderr, "trevalda: " + std::string(why));
  return kExitUsage;
}

// When printing is the job (--describe, --help, --version), output that
// could not be written is a failure, reported on stderr, as in the GNU tools;
// a reader that went away ends the run quietly, as a filter that SIGPIPE
// stops (where the system has no SIGPIPE, with its status, 128 + 13).
int FinishPrinting() {
  constexpr int kExitReaderGone = kExitSignalBase + 13;
  int error = OutputWasClosed() ? EBADF : 0;
  if (std::ferror(stdout) != 0 && error == 0) error = writeError != 0 ? writeError : EIO;
  if (std::fflush(stdout) != 0 && error == 0) error = errno;
  if (std::fclose(stdout) != 0 && error == 0) error = errno;
  if (error == 0) return kExitSaved;
  if (ReaderWentAway(error)) return kExitReaderGone;
  PrintLine(stderr, "trevalda: no se pudo escribir en la salida estándar: " +
                        ErrorText(std::error_code(error, std::generic_category())));
  return kExitNotSaved;
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
    for (const auto& placed : texts.hourLines) PrintLine(stdout, Cp1252ToUtf8(placed.second));
    // The modern page's almanac and hours, in the forms scripts read.
    if (!texts.moon.empty()) PrintLine(stdout, "Luna: " + Cp1252ToUtf8(texts.moon));
    if (!texts.sunDescribed.empty()) {
      PrintLine(stdout, "Sol: " + Cp1252ToUtf8(texts.sunDescribed) + " (" +
                            Cp1252ToUtf8(texts.sunPlace) + ")");
    }
    if (!texts.hours.empty()) PrintLine(stdout, "Horas: " + texts.hours);
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

int WriteRange(const CliOptions& options) {
  ProgressBar bar(!options.quiet && ErrorIsTerminal());
  JobHooks hooks;
  hooks.progress = [&bar](std::int32_t done, std::int32_t total) {
    // A single page needs no bar.
    return total > 1 ? bar.Update(done, total) : stopSignal == 0;
  };
  hooks.warn = [](const std::string& warning) { PrintLine(stderr, "trevalda: " + warning); };
  CatchStopSignals(OnStop);
  const JobReport report = RunAgendaJob(options, hooks);
  bar.Finish();
  // The notice is not the job: if it cannot be printed (a closed pipe), the
  // exit code is still the save's.
  if (report.status == JobStatus::kDone) PrintLine(stdout, report.message);
  if (report.status == JobStatus::kRefused) return Refuse(report.message);
  if (stopSignal != 0) {
    PrintLine(stderr, "trevalda: " + StoppedMessage(report));
    return kExitSignalBase + stopSignal;
  }
  if (report.status == JobStatus::kDone) return kExitSaved;
  PrintLine(stderr, "trevalda: " + report.message);
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
  if (options.action == CliAction::kWritePage) return WriteRange(options);
  const Result<DateRange> range = ReadJobRange(options);
  if (!range) return Refuse(range.message());
  Agenda agenda;
  const auto warn = [](const std::string& warning) { PrintLine(stderr, "trevalda: " + warning); };
  if (const Result<> loaded = LoadJobAgenda(options, agenda, warn); !loaded) {
    return Refuse(loaded.message());
  }
  return Describe(*range, JobAgendaOptions(options, agenda));
}

}  // namespace
}  // namespace trevalda

int main(int argc, char** argv) {
  try {
    trevalda::PrepareConsole();
    return trevalda::Run(trevalda::CommandLineArguments(argc, argv));
  } catch (const std::bad_alloc&) {
    // Every file in the making was removed as the stack unwound; a fixed
    // text, as nothing more can be allocated.
    std::fputs("trevalda: no queda memoria para terminar; no queda ningún archivo a medias\n",
               stderr);
    return 1;
  }
}
