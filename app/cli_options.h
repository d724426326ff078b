// The command line of the `trevalda` tool: what the user asked for, read
// from the arguments without touching anything.
//
//   trevalda [FECHA [--to FECHA] | --year AAAA] [-o SALIDA]
//            [--format bmp|png|pdf] [--describe] [--quiet] [--help] [--version]
//            [--paper a4|a5|letter|tablet] [--binding-margin MM] [--booklet]
//            [--holidays] [--dates ARCHIVO]... [--week iso|agenda] [--tz ZONA]
//            [--style classic|modern] [--hours H1-H2] [--place LUGAR]
//
// Every option is one entry of one table (CliOptionTable, in
// app/cli_options.cpp): its names, the value it takes, how that value is
// read and its lines in --help. The parser, the --help text and through it
// the man page and completion checks (tests/packaging) all read that table;
// a new option is one new entry there, one field in CliOptions, and its
// paragraph in the man page and line in the completion.
//
// Arguments arrive as UTF-8 bytes. Parsing never fails hard: a bad command
// line comes back as a Failure for the user (Spanish, UTF-8), which echoes
// arguments only through ShownText (text/shown_text.h). Every option that
// takes a value (--opt VALUE, --opt=VALUE, -xVALUE, -x=VALUE) refuses an
// empty one, as a usage error.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/imposition.h"
#include "base/result.h"
#include "calendar/almanac.h"
#include "page/day_page.h"

namespace trevalda {

enum class CliAction {
  kWritePage,  // draw and save the page
  kDescribe,   // print the page's texts instead of writing a file
  kHelp,
  kVersion,
};

enum class CliFormat { kBmp, kPng, kPdf };

// The zone of the agenda's times without --tz: peninsular Spain.
inline constexpr std::string_view kDefaultTimeZone = "Europe/Madrid";

struct CliOptions {
  CliAction action = CliAction::kWritePage;
  std::string date;      // as typed (see hasDate)
  bool hasDate = false;  // a date was given; without one: today, or the --year range
  std::string toDate;    // --to, as typed; empty: a single date
  std::string year;      // --year, as typed; empty: no whole-year range
  std::string output;    // -o as typed: the folder (bmp, png) or the PDF file
  CliFormat format = CliFormat::kBmp;
  bool quiet = false;  // no progress bar
  // How the PDF is laid out on paper; only with --format pdf.
  SheetOptions sheets;
  bool holidays = false;               // --holidays: Spain's national holidays on the pages
  std::vector<std::string> dateFiles;  // --dates, as typed, in order
  bool isoWeek = false;                // --week iso: the ISO 8601 week in the footer
  // --tz: the zone the agenda's times are shown in, as TimeZone::FromName
  // names it (an IANA name; a Windows name gives its IANA zone, the UTC
  // names "UTC"). The parser has checked that the zone is known.
  std::string timeZone = std::string(kDefaultTimeZone);
  bool timeZoneGiven = false;             // --tz was given
  PageStyle style = PageStyle::kClassic;  // --style
  std::optional<HourSpan> hours;          // --hours, modern style only
  // --place, modern style only: the place of the sunrise and sunset (Madrid
  // unless given; none after --place none).
  std::optional<SunPlace> place;
  bool placeGiven = false;
  // The modern page's time for the moon and the sun when --tz names one of
  // Spain's two (the parser refuses other zones with --style modern); none:
  // the place's own.
  std::optional<SpanishTime> zone;
};

// The most --dates files one command line takes.
inline constexpr std::size_t kMaxDateFiles = 20;

// One option of the command line.
struct CliOption {
  std::string_view name = {};  // the long name, "--format"
  char letter = 0;             // the one-letter spelling ('f' for -f), or 0
  // What follows the option in --help ("FORMATO", "iso|agenda"); empty: the
  // option takes no value (and "--name=..." is refused as unknown).
  std::string_view value = {};
  // Only with --format pdf; --help lists it under that heading.
  bool pdfOnly = false;
  // Only with --style modern; --help lists it under that heading.
  bool modernOnly = false;
  // Its description in --help, lines separated by "\n" (--help indents them).
  std::string_view help = {};
  // Reads the value (empty for an option without one) into `options`, or
  // says why it cannot (Spanish, UTF-8, the value shown with ShownText).
  Result<> (*apply)(std::string_view value, CliOptions& options) = nullptr;
};

// Every option, in the order --help lists them.
std::span<const CliOption> CliOptionTable();

// Reads the arguments that follow the program name.
Result<CliOptions> ParseCommandLine(const std::vector<std::string>& args);

// Normalises a date as people type it to "dd/mm/yyyy": day, month and a
// four-digit year separated by "/", "\", "-" or "." (blanks around the
// separators allowed, one- or two-digit day and month), or the year first
// as in 2026-12-07. Returns nothing when the text has neither form. It does
// not check that the date exists.
std::optional<std::string> NormalizeDateText(std::string_view text);

// The Spanish local time a time-zone name gives: "Europe/Madrid" (the
// peninsula, the Balearic Islands, Ceuta and Melilla) or "Atlantic/Canary",
// spelt exactly so; nothing for any other name.
std::optional<SpanishTime> SpanishTimeNamed(std::string_view zone);

// The usage text shown by --help (UTF-8), made from the option table.
std::string_view UsageText();

}  // namespace trevalda
