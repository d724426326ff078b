// The `trevalda` command: writes the diary page for a date, or describes it.
// Messages for the user are Spanish and UTF-8; the program's own texts are
// Windows-1252 and converted on the way out.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "app/cli_options.h"
#include "app/create_page.h"
#include "page/day_page.h"
#include "text/cp1252.h"

namespace trevalda {
namespace {

constexpr int kExitSaved = 0;
constexpr int kExitNotSaved = 1;
constexpr int kExitUsage = 2;

void PrintLine(std::FILE* stream, std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
  std::fputc('\n', stream);
}

int Refuse(std::string_view why) {
  PrintLine(stderr, "trevalda: " + std::string(why));
  return kExitUsage;
}

// Today's date in local time, as the date picker shows it.
std::string TodayText() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return {};
  return FormatDateText(local->tm_mday, local->tm_mon + 1, local->tm_year + 1900);
}

int Describe(const std::string& dateText) {
  std::string stem;
  PageDate date;
  std::string why;
  if (!ReadDateText(dateText, stem, date, why)) return Refuse(Cp1252ToUtf8(why));
  InitializeTables();
  const DayPageTexts texts = MakeDayPageTexts(date);
  for (const std::string* text : {&texts.monthName, &texts.weekdayName, &texts.dayNumber,
                                  &texts.saint, &texts.counters, &texts.week, &texts.year}) {
    PrintLine(stdout, Cp1252ToUtf8(*text));
  }
  return kExitSaved;
}

int Run(const std::vector<std::string>& args) {
  const CliParseResult parsed = ParseCommandLine(args);
  if (!parsed.ok) {
    return Refuse(parsed.error + "\nPrueba 'trevalda --help'.");
  }
  const CliOptions& options = parsed.options;
  switch (options.action) {
    case CliAction::kHelp:
      std::fwrite(UsageText().data(), 1, UsageText().size(), stdout);
      return kExitSaved;
    case CliAction::kVersion:
      PrintLine(stdout, "trevalda " TREVALDA_VERSION);
      return kExitSaved;
    case CliAction::kWritePage:
    case CliAction::kDescribe:
      break;
  }

  const std::string typed = options.date.empty() ? TodayText() : options.date;
  const auto dateText = NormalizeDateText(typed);
  if (!dateText) {
    return Refuse("fecha no válida: \"" + typed.substr(0, 40) +
                  (typed.size() > 40 ? "...\"" : "\"") +
                  ". Escribe día/mes/año con el año en cuatro cifras, por ejemplo 07/12/2026.");
  }
  if (options.action == CliAction::kDescribe) return Describe(*dateText);

  const PageOutcome outcome = CreatePage(*dateText, std::filesystem::path(options.outputDir));
  switch (outcome.status) {
    case PageStatus::kSaved:
      PrintLine(stdout, Cp1252ToUtf8(outcome.message));
      return kExitSaved;
    case PageStatus::kBadDate:
      return Refuse(Cp1252ToUtf8(outcome.message));
    case PageStatus::kNotSaved:
      break;
  }
  PrintLine(stderr, "trevalda: " + Cp1252ToUtf8(outcome.message));
  return kExitNotSaved;
}

}  // namespace
}  // namespace trevalda

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return trevalda::Run(args);
}
