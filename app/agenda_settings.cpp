#include "app/agenda_settings.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "app/cli_options.h"
#include "app/create_page.h"
#include "app/yearbook.h"

namespace trevalda {
namespace {

constexpr std::string_view kFilesKey = "fechas";
constexpr std::int16_t kFirstAutumnMonth = 10;  // from October on, next year's agenda

constexpr AgendaWord kStyleWords[] = {{"clasico", "classic"}, {"moderno", "modern"}};

// The choices, by AgendaChoice. A choice's values are checked with
// --format pdf, and with --style modern where that alone takes them.
constexpr AgendaChoiceSpec kChoices[kAgendaChoiceCount] = {
    {.key = "estilo",
     .option = "--style",
     .byDefault = "classic",
     .probe = "modern",
     .words = kStyleWords},
    {.key = "horas", .option = "--hours", .byDefault = "", .probe = "8-21"},
    {.key = "lugar", .option = "--place", .byDefault = "Madrid", .probe = "none"},
    {.key = "papel", .option = "--paper", .byDefault = "a4", .probe = "a5"},
    {.key = "margen", .option = "--binding-margin", .byDefault = "", .probe = "10"},
    {.key = "librito", .option = "--booklet", .isSwitch = true, .byDefault = "0", .probe = "1"},
    {.key = "planificador",
     .option = "--planner",
     .isSwitch = true,
     .byDefault = "0",
     .probe = "1"},
    {.key = "notas", .option = "--notes", .byDefault = "0", .probe = "1"},
    {.key = "zona", .option = "--tz", .byDefault = kDefaultTimeZone, .probe = "Atlantic/Canary"},
};

bool Accepted(const std::vector<std::string>& args) { return ParseCommandLine(args).ok(); }

// The arguments that make `value` of a choice; none for its default.
std::vector<std::string> ChoiceArguments(const AgendaChoiceSpec& entry, std::string_view value) {
  if (value == entry.byDefault || value.empty()) return {};
  if (entry.isSwitch) return {std::string(entry.option)};
  return {std::string(entry.option), std::string(value)};
}

bool ValidChoice(const AgendaChoiceSpec& entry, std::string_view value) {
  if (entry.isSwitch) return value == "0" || value == "1";
  if (value == entry.byDefault || value.empty()) return true;
  for (const std::vector<std::string>& context :
       {std::vector<std::string>{"--format", "pdf"},
        std::vector<std::string>{"--format", "pdf", "--style", "modern"}}) {
    std::vector<std::string> args = context;
    for (std::string& arg : ChoiceArguments(entry, value)) args.push_back(std::move(arg));
    if (Accepted(args)) return true;
  }
  return false;
}

// The option's value agenda.ini's `text` stands for: a word of the
// choice's (or the option's own value it names), else the text itself.
std::optional<std::string_view> ValueOfWord(const AgendaChoiceSpec& entry, std::string_view text) {
  if (entry.words.empty()) return text;
  for (const AgendaWord& word : entry.words) {
    if (text == word.word || text == word.value) return word.value;
  }
  return std::nullopt;
}

// How agenda.ini writes a choice's value.
std::string_view WordOfValue(const AgendaChoiceSpec& entry, std::string_view value) {
  for (const AgendaWord& word : entry.words) {
    if (value == word.value) return word.word;
  }
  return value;
}

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
    if (value == "bmp" || value == "png" || value == "pdf") settings.format = value;
  } else if (key == "festivos") {
    settings.holidays = ReadSwitch(value).value_or(settings.holidays);
  } else if (key == "carpeta") {
    settings.folder = value;
  } else if (const std::size_t number = FileKeyNumber(key); number != 0 && !value.empty()) {
    files[number] = value;
  } else {
    for (std::size_t i = 0; i < kAgendaChoiceCount; ++i) {
      if (key != kChoices[i].key) continue;
      const std::optional<std::string_view> chosen = ValueOfWord(kChoices[i], value);
      if (chosen && ValidChoice(kChoices[i], *chosen)) settings.choices[i] = *chosen;
    }
  }
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
  for (std::size_t i = 0; i < kAgendaChoiceCount; ++i) {
    const auto with = [&accepted](const std::vector<std::string>& more) {
      std::vector<std::string> probe = accepted;
      probe.insert(probe.end(), more.begin(), more.end());
      return probe;
    };
    const std::vector<std::string> chosen = ChoiceArguments(kChoices[i], settings.choices[i]);
    allowed[i] = Accepted(with(ChoiceArguments(kChoices[i], kChoices[i].probe)));
    if (!allowed[i] || chosen.empty()) continue;
    args.insert(args.end(), chosen.begin(), chosen.end());
    if (Accepted(with(chosen))) accepted = with(chosen);
  }
  return args;
}

}  // namespace

const AgendaChoiceSpec& SpecOf(AgendaChoice choice) {
  return kChoices[static_cast<std::size_t>(choice)];
}

AgendaSettings::AgendaSettings() {
  for (std::size_t i = 0; i < kAgendaChoiceCount; ++i) choices[i] = kChoices[i].byDefault;
}

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
  for (std::size_t i = 0; i < kAgendaChoiceCount; ++i) {
    line(kChoices[i].key, WordOfValue(kChoices[i], settings.choices[i]));
  }
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
