// The job a command line describes, done: the pages of a date range written
// as BMP or PNG files or as one PDF document, with the agenda's holidays and
// dates. The command line (app/cli_main.cpp) and the agenda dialog
// (app/agenda_dialog.cpp) both run their work through here from the same
// parsed CliOptions, so an option means one thing in both front ends.
//
// Messages are Spanish, UTF-8, without the program's name in front: the
// command line prints them after "trevalda: ", the dialog shows them in a
// message box. Whatever the user supplied is echoed through ShownText or
// ShownPath (text/shown_text.h). Nothing here throws; running out of memory
// is reported as a failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "agenda/agenda.h"
#include "app/cli_options.h"
#include "app/create_page.h"
#include "app/yearbook.h"
#include "base/result.h"

namespace trevalda {

enum class JobStatus {
  kDone,     // every page was written
  kRefused,  // the options name no range, or a --dates file cannot be used: nothing written
  kFailed,   // a page or the document could not be written; the pages before it stay
  kStopped,  // the progress hook asked to stop; finished pages stay, no temporary file
};

struct JobReport {
  JobStatus status = JobStatus::kFailed;
  // kDone: the report ("Grabado 07-12-2026", "Grabadas 3 hojas",
  // "Grabado agenda-2027.pdf (366 hojas)"); otherwise what went wrong.
  std::string message;
  // Where the pages went: the PDF file, or the folder of the page files
  // (empty: the current folder). Set once writing began.
  std::filesystem::path output;
  CliFormat format = CliFormat::kBmp;
  std::int32_t pagesDone = 0;  // pages saved (or PDF sheets drawn)
  bool allSaved = false;       // every page was in place when the run ended
};

struct JobHooks {
  // Told after each page, on the calling thread; returning false stops the
  // run before the next page (as a signal stops the command line).
  RangeProgress progress;
  // A warning the run goes on after (a dates file's skipped entry):
  // "aviso: <file>: <what>".
  std::function<void(const std::string& warning)> warn;
};

// The range the options ask for: --year, or the date (today, in local time,
// when none is given) up to --to; or why it cannot be.
Result<DateRange> ReadJobRange(const CliOptions& options);

// Fills `agenda` from --holidays and every --dates file, in order. A file
// that cannot be used refuses the whole job ("<file>:<line>: <reason>");
// warnings go to `warn` when one is given.
Result<> LoadJobAgenda(const CliOptions& options, Agenda& agenda,
                       const std::function<void(const std::string&)>& warn = {});

// What every page carries beyond the classic page, from the options.
// `agenda` must outlive the pages.
AgendaOptions JobAgendaOptions(const CliOptions& options, const Agenda& agenda);

// Reads the range and the agenda, then writes the pages (options.action is
// not looked at: describing is the command line's own business).
JobReport RunAgendaJob(const CliOptions& options, const JobHooks& hooks = {});

// How the "Grabado" notice of a PDF counts what it saved, from the
// document's pages: "1 página", "366 páginas"; a booklet counts the sheets
// that print (two pages each): "1 hoja", "92 hojas". Other kinds of pages
// join here, so that the notice counts in one place.
std::string DocumentCountText(std::int32_t documentPages, bool booklet);

// What a run that was asked to stop says, given how far it got:
// everything saved, a PDF not written, or how many pages stay.
std::string StoppedMessage(const JobReport& report);

}  // namespace trevalda
