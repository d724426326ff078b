#include "app/agenda_settings.h"

#include <algorithm>
#include <map>
#include <utility>

#include "app/cli_options.h"
#include "app/create_page.h"
#include "app/yearbook.h"

namespace trevalda {
namespace {

constexpr std::string_view kFilesKey = "fechas";
constexpr std::int16_t kFirstAutumnMonth = 10;  // from October on, next year's agenda

bool Accepted(const std::vector<std::string>& args) { return ParseCommandLine(args).ok(); }

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A date as the command line reads it, and a real one.
std::optional<PageDate> ReadDate(std::string_view text) {
  const std::optional<std::string> normal = NormalizeDateText(text);
  if (!normal) return std::nullopt;
  const PageDate date = PageDateFromStem(MakeFileStem(*normal));
  if (!IsValidPageDate(date)) return std::nullopt;
  return date;
}

std::optional<bool> ReadSwitch(std::string_view text) {
  if (text == "0") return false;
  if (text == "1") return true;
  return std::nullopt;
}

bool OneOf(std::string_view value, std::initializer_list<std::string_view> choices) {
  return std::find(choices.begin(), choices.end(), value) != choices.end();
}

// "fechas7" → 7; 0 for any other key.
std::size_t FileKeyNumber(std::string_view key) {
  if (!key.starts_with(kFilesKey) || key.size() == kFilesKey.size() || key.size() > 9) return 0;
  std::size_t number = 0;
  for (char c : key.substr(kFilesKey.size())) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + static_cast<std::size_t>(c - '0');
  }
  return number <= kMaxDateFiles ? number : 0;
}

void ApplySetting(std::string_view key, std::string_view value, AgendaSettings& settings,
                  std::optional<PageDate>& from, std::optional<PageDate>& to,
                  std::map<std::size_t, std::string>& files) {
  if (key == "desde") {
    from = ReadDate(value);
  } else if (key == "hasta") {
    to = ReadDate(value);
  } else if (key == "formato") {
    if (OneOf(value, {"bmp", "png", "pdf"})) settings.format = value;
  } else if (key == "papel") {
    if (OneOf(value, {"a4", "a5", "letter", "tablet"})) settings.paper = value;
  } else if (key == "librito") {
    settings.booklet = ReadSwitch(value).value_or(settings.booklet);
  } else if (key == "margen") {
    // Whatever --binding-margin takes.
    if (Accepted({"--format", "pdf", "--binding-margin", std::string(value)})) {
      settings.margin = value;
    }
  } else if (key == "festivos") {
    settings.holidays = ReadSwitch(value).value_or(settings.holidays);
  } else if (key == "carpeta") {
    settings.folder = value;
  } else if (const std::size_t number = FileKeyNumber(key); number != 0 && !value.empty()) {
    files[number] = value;
  }
}

// Each choice: what the parser is asked to take to see whether the choice
// is possible, and what the settings add when it is made.
struct ChoiceArguments {
  std::vector<std::string> probe;
  std::vector<std::string> chosen;  // empty: the default, nothing to add
};

std::array<ChoiceArguments, kAgendaChoiceCount> ChoiceArgumentsOf(const AgendaSettings& settings) {
  std::array<ChoiceArguments, kAgendaChoiceCount> choices;
  auto& paper = choices[static_cast<std::size_t>(AgendaChoice::kPaper)];
  paper.probe = {"--paper", "a5"};
  if (settings.paper != "a4") paper.chosen = {"--paper", settings.paper};
  auto& margin = choices[static_cast<std::size_t>(AgendaChoice::kMargin)];
  margin.probe = {"--binding-margin", "10"};
  if (!settings.margin.empty()) margin.chosen = {"--binding-margin", settings.margin};
  auto& booklet = choices[static_cast<std::size_t>(AgendaChoice::kBooklet)];
  booklet.probe = {"--booklet"};
  if (settings.booklet) booklet.chosen = {"--booklet"};
  return choices;
}

// The arguments every run has: range, format, folder, agenda.
std::vector<std::string> BaseArguments(const AgendaSettings& settings) {
  std::vector<std::string> args = {DateText(settings.from), "--to", DateText(settings.to),
                                   "--format", settings.format};
  if (!settings.folder.empty()) args.insert(args.end(), {"-o", settings.folder});
  if (settings.holidays) args.push_back("--holidays");
  for (const std::string& file : settings.dateFiles) args.insert(args.end(), {"--dates", file});
  return args;
}

// Decides the choices in order; returns the arguments of those made. A
// choice's value the parser refuses stays in the arguments, for the parser
// to say why, but does not rule out the choices after it.
std::vector<std::string> DecideChoices(const AgendaSettings& settings,
                                       std::array<bool, kAgendaChoiceCount>& allowed) {
  std::vector<std::string> args = BaseArguments(settings);
  std::vector<std::string> accepted = args;
  const auto choices = ChoiceArgumentsOf(settings);
  for (std::size_t i = 0; i < choices.size(); ++i) {
    const auto with = [&accepted](const std::vector<std::string>& more) {
      std::vector<std::string> probe = accepted;
      probe.insert(probe.end(), more.begin(), more.end());
      return probe;
    };
    allowed[i] = Accepted(with(choices[i].probe));
    if (!allowed[i] || choices[i].chosen.empty()) continue;
    args.insert(args.end(), choices[i].chosen.begin(), choices[i].chosen.end());
    if (Accepted(with(choices[i].chosen))) accepted = with(choices[i].chosen);
  }
  return args;
}

}  // namespace

std::int16_t DefaultAgendaYear(const PageDate& today) {
  return static_cast<std::int16_t>(today.month >= kFirstAutumnMonth ? today.year + 1 : today.year);
}

AgendaSettings DefaultAgendaSettings(const PageDate& today) {
  AgendaSettings settings;
  const DateRange year = YearRange(DefaultAgendaYear(today));
  settings.from = year.first;
  settings.to = year.last;
  return settings;
}

AgendaSettings ReadAgendaSettings(std::string_view text, const PageDate& today) {
  AgendaSettings settings = DefaultAgendaSettings(today);
  text = text.substr(0, kMaxSettingsBytes);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::optional<PageDate> from;
  std::optional<PageDate> to;
  std::map<std::size_t, std::string> files;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || line.front() == ';' || equals == line.npos) continue;
    ApplySetting(Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)), settings, from,
                 to, files);
  }
  if (from && to) {
    const DateRange range{*from, *to};
    const std::int32_t days = RangeLength(range);
    if (days >= 1 && days <= kMaxRangeDays) {
      settings.from = *from;
      settings.to = *to;
    }
  }
  for (auto& [number, file] : files) settings.dateFiles.push_back(std::move(file));
  return settings;
}

std::string WriteAgendaSettings(const AgendaSettings& settings) {
  std::string text;
  const auto line = [&text](std::string_view key, std::string_view value) {
    if (value.find_first_of("\r\n") != value.npos) return;
    text.append(key).append("=").append(value).append("\r\n");
  };
  line("desde", DateText(settings.from));
  line("hasta", DateText(settings.to));
  line("formato", settings.format);
  line("papel", settings.paper);
  line("librito", settings.booklet ? "1" : "0");
  line("margen", settings.margin);
  line("festivos", settings.holidays ? "1" : "0");
  for (std::size_t i = 0; i < settings.dateFiles.size() && i < kMaxDateFiles; ++i) {
    line(std::string(kFilesKey) + std::to_string(i + 1), settings.dateFiles[i]);
  }
  line("carpeta", settings.folder);
  return text;
}

std::array<bool, kAgendaChoiceCount> AllowedChoices(const AgendaSettings& settings) {
  std::array<bool, kAgendaChoiceCount> allowed{};
  DecideChoices(settings, allowed);
  return allowed;
}

std::vector<std::string> AgendaArguments(const AgendaSettings& settings) {
  std::array<bool, kAgendaChoiceCount> allowed{};
  return DecideChoices(settings, allowed);
}

}  // namespace trevalda
