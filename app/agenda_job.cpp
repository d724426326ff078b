#include "app/agenda_job.h"

#include <cstdio>
#include <ctime>
#include <new>

#include "agenda/agenda_file.h"
#include "agenda/time_zone.h"
#include "app/console.h"
#include "text/cp1252.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

std::string Shown(const std::string& typed) {
  std::string shown(1, '"');
  shown.append(ShownText(typed)).push_back('"');
  return shown;
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

// Reads a typed date into a checked page date.
Result<PageDate> ReadTypedDate(const std::string& typed) {
  const auto dateText = NormalizeDateText(typed);
  if (dateText) {
    if (Result<PageDate> date = ReadDateText(*dateText)) return date;
  }
  return Failure(BadDateMessage(typed));
}

}  // namespace

std::string DocumentCountText(std::int32_t documentPages, bool booklet) {
  // A booklet's pages are the two sides of the sheets that print.
  const std::int32_t count = booklet ? (documentPages + 1) / 2 : documentPages;
  const char* noun =
      booklet ? (count == 1 ? "hoja" : "hojas") : (count == 1 ? "página" : "páginas");
  return std::to_string(count) + " " + noun;
}

namespace {

JobReport WritePages(const CliOptions& options, const DateRange& range, const AgendaOptions& agenda,
                     const JobHooks& hooks) {
  JobReport report;
  report.format = options.format;
  bool stopAsked = false;
  const RangeProgress progress = [&](std::int32_t done, std::int32_t total) {
    if (hooks.progress && !hooks.progress(done, total)) stopAsked = true;
    return !stopAsked;
  };
  RangeOutcome outcome;
  std::string done;
  if (options.format == CliFormat::kPdf) {
    std::filesystem::path file = PathFromArgument(options.output);
    const std::filesystem::path defaultName(DefaultPdfName(range));
    std::error_code ignored;
    if (file.empty()) {
      file = defaultName;
    } else if (std::filesystem::is_directory(file, ignored)) {
      file /= defaultName;
    }
    outcome = CreateYearbookPdf(range, file, options.sheets, progress, agenda, options.planner);
    // Named as the system named it (Windows drops a trailing dot).
    report.output = SavedFileName(file);
    done = "Grabado " + ShownPath(report.output) + " (" +
           DocumentCountText(outcome.documentPages, options.sheets.booklet) + ")";
  } else {
    const bool single = range.first == range.last;
    const PageFormat format =
        options.format == CliFormat::kPng ? PageFormat::kPng : PageFormat::kBmp;
    report.output = PathFromArgument(options.output);
    outcome = CreatePageFiles(range, report.output, format, progress, agenda);
    done = single ? "Grabado " + DateStem(range.first)
                  : "Grabadas " + std::to_string(outcome.pagesDone) + " hojas";
  }
  report.pagesDone = outcome.pagesDone;
  report.allSaved = outcome.status == RangeStatus::kDone;
  if (report.allSaved) {
    report.status = JobStatus::kDone;
    report.message = done;
  } else if (stopAsked) {
    report.status = JobStatus::kStopped;
    report.message = StoppedMessage(report);
  } else {
    report.status = JobStatus::kFailed;
    report.message = outcome.message;
  }
  return report;
}

}  // namespace

Result<DateRange> ReadJobRange(const CliOptions& options) {
  if (!options.year.empty()) {
    const auto& y = options.year;
    if (y.size() != 4 || y.find_first_not_of("0123456789") != std::string::npos || y == "0000") {
      return Failure("año no válido: " + Shown(y) +
                     ". Escribe el año en cuatro cifras, por ejemplo 2027.");
    }
    return YearRange(static_cast<std::int16_t>(std::stoi(y)));
  }
  const Result<PageDate> first = ReadTypedDate(options.hasDate ? options.date : TodayText());
  if (!first) return first.failure();
  DateRange range{*first, *first};
  if (!options.toDate.empty()) {
    const Result<PageDate> last = ReadTypedDate(options.toDate);
    if (!last) return last.failure();
    range.last = *last;
  }
  if (DaySerial(range.last) < DaySerial(range.first)) {
    return Failure("la fecha de --to es anterior a la primera");
  }
  if (RangeLength(range) > kMaxRangeDays) {
    return Failure("la serie pasa de diez años (" + std::to_string(kMaxRangeDays) +
                   " días como mucho)");
  }
  return range;
}

Result<> LoadJobAgenda(const CliOptions& options, Agenda& agenda,
                       const std::function<void(const std::string&)>& warn) {
  if (options.holidays) agenda.AddNationalHolidays();
  // The parser has checked the zone; UTC only if its data went missing since.
  agenda.SetTimeZone(TimeZone::FromName(options.timeZone).value_or(TimeZone::Utc()));
  bool inputRead = false;  // "-" is standard input, read once
  for (const std::string& typed : options.dateFiles) {
    const bool input = typed == "-";
    if (input && inputRead) {
      return Failure("--dates - lee la entrada estándar, y solo se puede leer una vez");
    }
    // Memory that runs out while reading goes up to the job (exit 1).
    if (input) {
      inputRead = true;
      UseBinaryStandardInput();
    }
    const Result<AgendaFile> file =
        input ? ReadAgendaStream(stdin) : ReadAgendaFile(PathFromArgument(typed));
    if (!file) return file.failure();
    if (warn) {
      const std::string name = input ? "(entrada estándar)" : ShownText(typed, kShownPathLimit);
      for (const std::string& note : file->notes) {
        warn("aviso: " + name + ": " + ShownText(note, kShownPathLimit));
      }
    }
    for (const AgendaRule& rule : file->rules) agenda.Add(rule);
  }
  return {};
}

AgendaOptions JobAgendaOptions(const CliOptions& options, const Agenda& agenda) {
  AgendaOptions agendaOptions;
  agendaOptions.agenda = &agenda;
  agendaOptions.week = options.isoWeek ? WeekRule::kIso : WeekRule::kDiary;
  agendaOptions.style = options.style;
  agendaOptions.modern.hours = options.hours;
  agendaOptions.modern.place = options.place;
  // --tz, else the place's own time (Canary for Las Palmas and Santa Cruz).
  agendaOptions.modern.zone =
      options.zone.value_or(options.place ? options.place->zone : SpanishTime::kPeninsula);
  return agendaOptions;
}

JobReport RunAgendaJob(const CliOptions& options, const JobHooks& hooks) {
  JobReport report;
  report.format = options.format;
  report.status = JobStatus::kRefused;
  try {
    const Result<DateRange> range = ReadJobRange(options);
    if (!range) {
      report.message = range.message();
      return report;
    }
    Agenda agenda;
    if (const Result<> loaded = LoadJobAgenda(options, agenda, hooks.warn); !loaded) {
      report.message = loaded.message();
      return report;
    }
    return WritePages(options, *range, JobAgendaOptions(options, agenda), hooks);
  } catch (const std::bad_alloc&) {
    report.status = JobStatus::kFailed;
    report.message = "no queda memoria para terminar; no queda ningún archivo a medias";
    return report;
  }
}

std::string StoppedMessage(const JobReport& report) {
  if (report.allSaved) return "interrumpido cuando ya estaba todo grabado";
  if (report.format == CliFormat::kPdf) return "interrumpido; el documento no se ha grabado";
  return "interrumpido tras " + std::to_string(report.pagesDone) +
         " hojas; no queda ningún archivo a medias";
}

}  // namespace trevalda
