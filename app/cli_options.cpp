#include "app/cli_options.h"

#include <cstdio>

namespace trevalda {
namespace {

constexpr std::string_view kUsage =
    "Uso: trevalda [FECHA] [-o CARPETA] [--describe]\n"
    "\n"
    "Crea la hoja de agenda (A4, BMP de 24 bits) del día FECHA y la graba como\n"
    "CARPETA/dd-mm-aaaa.bmp. Sin FECHA, crea la hoja de hoy.\n"
    "\n"
    "FECHA    día/mes/año con el año en cuatro cifras: 07/12/2026, 7-12-2026,\n"
    "         7.12.2026 o 2026-12-07\n"
    "\n"
    "Opciones:\n"
    "  -o, --output CARPETA  carpeta donde se graba la hoja (por omisión, la actual)\n"
    "      --describe        muestra los textos de la hoja en vez de grabarla\n"
    "  -h, --help            muestra esta ayuda\n"
    "  -V, --version         muestra la versión\n"
    "\n"
    "Códigos de salida: 0 grabada; 1 no se pudo grabar; 2 orden o fecha no válidas.\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSeparator(char c) { return c == '/' || c == '\\' || c == '-' || c == '.'; }

// Reads up to `limit` + 1 digits at `i`; returns the group (longer than
// `limit` when the text has too many digits).
std::string_view DigitGroup(std::string_view text, std::size_t& i, std::size_t limit) {
  const std::size_t start = i;
  while (i < text.size() && IsDigit(text[i]) && i - start <= limit) ++i;
  return text.substr(start, i - start);
}

void SkipBlanks(std::string_view text, std::size_t& i) {
  while (i < text.size() && IsBlank(text[i])) ++i;
}

int GroupValue(std::string_view group) {
  int value = 0;
  for (char c : group) value = value * 10 + (c - '0');
  return value;
}

// The value of an option: either "--name=value" or the next argument.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
               std::string& value, std::string& error) {
  const std::string& arg = args[i];
  const auto equals = arg.find('=');
  if (equals != std::string::npos) {
    value = arg.substr(equals + 1);
    return true;
  }
  if (i + 1 >= args.size()) {
    error = "falta el valor de " + std::string(name);
    return false;
  }
  value = args[++i];
  return true;
}

}  // namespace

std::string FormatDateText(int day, int month, int year) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", day, month, year);
  return text;
}

std::optional<std::string> NormalizeDateText(std::string_view text) {
  std::size_t i = 0;
  std::string_view groups[3];
  for (int g = 0; g < 3; ++g) {
    SkipBlanks(text, i);
    groups[g] = DigitGroup(text, i, 4);
    if (groups[g].empty() || groups[g].size() > 4) return std::nullopt;
    SkipBlanks(text, i);
    if (g < 2) {
      if (i >= text.size() || !IsSeparator(text[i])) return std::nullopt;
      ++i;
    }
  }
  if (i != text.size()) return std::nullopt;

  const auto fits = [](std::string_view group) { return group.size() <= 2; };
  if (fits(groups[0]) && fits(groups[1]) && groups[2].size() == 4) {
    return FormatDateText(GroupValue(groups[0]), GroupValue(groups[1]), GroupValue(groups[2]));
  }
  if (groups[0].size() == 4 && fits(groups[1]) && fits(groups[2])) {
    return FormatDateText(GroupValue(groups[2]), GroupValue(groups[1]), GroupValue(groups[0]));
  }
  return std::nullopt;
}

CliParseResult ParseCommandLine(const std::vector<std::string>& args) {
  CliParseResult result;
  CliOptions& options = result.options;
  bool haveDate = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-' && !IsDigit(arg[1]);
    if (!isOption) {
      if (haveDate) {
        result.error = "sobra el argumento \"" + arg.substr(0, 40) + "\": solo se admite una fecha";
        return result;
      }
      options.date = arg;
      haveDate = true;
      continue;
    }
    const std::string_view name = std::string_view(arg).substr(0, arg.find('='));
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      options.action = CliAction::kHelp;
    } else if (arg == "-V" || arg == "--version") {
      options.action = CliAction::kVersion;
    } else if (arg == "--describe") {
      if (options.action == CliAction::kWritePage) options.action = CliAction::kDescribe;
    } else if (name == "-o" || name == "--output") {
      if (!TakeValue(args, i, name, options.outputDir, result.error)) return result;
      if (options.outputDir.empty()) {
        result.error = "la carpeta de " + std::string(name) + " no puede estar vacía";
        return result;
      }
    } else if (arg.size() > 2 && arg.compare(0, 2, "-o") == 0 && arg[2] != '-') {
      options.outputDir = arg.substr(2);
    } else {
      result.error = "opción desconocida: " + arg.substr(0, 40);
      return result;
    }
  }
  result.ok = true;
  return result;
}

std::string_view UsageText() { return kUsage; }

}  // namespace trevalda
