#include "app/cli_options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "agenda/time_zone.h"
#include "calendar/calendar.h"
#include "page/modern_page.h"
#include "text/cp1252.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

// --help: this head, the options of the table, then the tail.
constexpr std::string_view kUsageHead =
    "Uso: trevalda [FECHA] [-o CARPETA] [--format bmp|png] [--describe] [AGENDA]\n"
    "     trevalda FECHA --to FECHA [-o SALIDA] [--format bmp|png|pdf] [--quiet] [AGENDA]\n"
    "     trevalda --year AAAA [-o SALIDA] [--format bmp|png|pdf] [--quiet] [AGENDA]\n"
    "     trevalda --year AAAA --format pdf [--paper a4|a5|letter|tablet]\n"
    "              [--binding-margin MM] [--booklet] [--planner] [--notes N] [AGENDA]\n"
    "AGENDA:  [--holidays] [--dates ARCHIVO]... [--week iso|agenda] [--tz ZONA]\n"
    "         [--style classic|modern] [--hours H1-H2] [--place LUGAR]\n"
    "\n"
    "Crea la hoja de agenda (A4) del día FECHA y la graba como CARPETA/dd-mm-aaaa.bmp.\n"
    "Sin FECHA, crea la hoja de hoy. Con --to o --year crea una hoja por día.\n"
    "\n"
    "FECHA    día/mes/año con el año en cuatro cifras: 07/12/2026, 7-12-2026,\n"
    "         7.12.2026 o 2026-12-07\n"
    "\n"
    "Opciones:\n";

constexpr std::string_view kPdfOnlyHeading = "\nSolo con --format pdf:\n";
constexpr std::string_view kModernOnlyHeading = "\nSolo con --style modern:\n";

constexpr std::string_view kUsageTail =
    "\n"
    "Lista de fechas (UTF-8), una por línea; se saltan las que empiezan por #:\n"
    "  dd/mm Texto         cada año             dd/mm/aaaa Texto   solo ese día\n"
    "  pascua+N Texto      N días tras Pascua   pascua-N Texto     N días antes\n"
    "  !dd/mm Texto        un ! delante marca un festivo (en rojo)\n"
    "Un .ics (BEGIN:VCALENDAR) aporta sus VEVENT con sus repeticiones (RRULE, RDATE,\n"
    "EXDATE, RECURRENCE-ID); los que tienen hora salen a la hora de la hoja.\n"
    "\n"
    "Códigos de salida: 0 grabado; 1 no se pudo grabar (o escribir la salida de --describe,\n"
    "--help o --version); 2 orden, fecha o archivo de fechas no válidos (no se graba nada);\n"
    "128 + la señal si se interrumpió (130 Ctrl-C, 143 TERM, 129 HUP).\n";

// The column where an option's description starts in --help.
constexpr std::size_t kHelpColumn = 25;

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

std::int16_t GroupValue(std::string_view group) {
  int value = 0;
  for (char c : group) value = value * 10 + (c - '0');
  return static_cast<std::int16_t>(value);
}

// A binding margin as typed: a number of millimetres with up to two
// decimals after "." or ",", from 0 to kMaxBindingMarginMm.
std::optional<double> ReadMillimetres(std::string_view text) {
  std::size_t i = 0;
  double value = 0;
  while (i < text.size() && IsDigit(text[i]) && i < 3) value = value * 10 + (text[i++] - '0');
  if (i == 0) return std::nullopt;
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    double scale = 0.1;
    const std::size_t start = ++i;
    while (i < text.size() && IsDigit(text[i]) && i - start < 2) {
      value += (text[i++] - '0') * scale;
      scale /= 10;
    }
    if (i == start) return std::nullopt;
  }
  if (i != text.size() || value > kMaxBindingMarginMm) return std::nullopt;
  return value;
}

// Whether two words are the same but for the case of ASCII letters.
bool SameWord(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// One of a few words, in any case (PDF, Pdf, pdf): stores the meaning of
// `value` in `target`, or refuses it as "<refusal>: "value" (a, b o c)".
template <typename T, std::size_t N>
Result<> Choose(std::string_view value, const std::pair<std::string_view, T> (&choices)[N],
                std::string_view refusal, T& target) {
  std::string words;
  for (std::size_t i = 0; i < N; ++i) {
    if (SameWord(value, choices[i].first)) {
      target = choices[i].second;
      return {};
    }
    words += i == 0 ? "" : i + 1 == N ? " o " : ", ";
    words += choices[i].first;
  }
  return Failure(std::string(refusal) + ": \"" + ShownText(value) + "\" (" + words + ")");
}

Result<> SetFormat(std::string_view value, CliOptions& options) {
  static constexpr std::pair<std::string_view, CliFormat> kFormats[] = {
      {"bmp", CliFormat::kBmp}, {"png", CliFormat::kPng}, {"pdf", CliFormat::kPdf}};
  return Choose(value, kFormats, "formato desconocido", options.format);
}

Result<> SetPaper(std::string_view value, CliOptions& options) {
  static constexpr std::pair<std::string_view, Paper> kPapers[] = {{"a4", Paper::kA4},
                                                                   {"a5", Paper::kA5},
                                                                   {"letter", Paper::kLetter},
                                                                   {"tablet", Paper::kTablet}};
  return Choose(value, kPapers, "papel desconocido", options.sheets.paper);
}

Result<> SetWeek(std::string_view value, CliOptions& options) {
  static constexpr std::pair<std::string_view, bool> kWeeks[] = {{"iso", true}, {"agenda", false}};
  return Choose(value, kWeeks, "semana desconocida", options.isoWeek);
}

// The zone as TimeZone::FromName names it, so a Windows name is stored as
// its IANA zone.
Result<> SetTimeZone(std::string_view value, CliOptions& options) {
  const std::optional<TimeZone> zone = TimeZone::FromName(value);
  if (!zone) {
    return Failure("zona horaria desconocida: \"" + ShownText(value) +
                   "\" (un nombre IANA escrito con sus mayúsculas, por ejemplo Europe/Madrid o "
                   "Atlantic/Canary)");
  }
  options.timeZone = zone->Name();
  options.timeZoneGiven = true;
  return {};
}

Result<> SetBindingMargin(std::string_view value, CliOptions& options) {
  const std::optional<double> millimetres = ReadMillimetres(value);
  if (!millimetres) {
    return Failure("margen de encuadernación no válido: \"" + ShownText(value) +
                   "\" (milímetros de 0 a 30, por ejemplo 12 o 7,5)");
  }
  options.sheets.bindingMarginMm = *millimetres;
  return {};
}

Result<> SetNotes(std::string_view value, CliOptions& options) {
  if (value.size() > 2 || value.find_first_not_of("0123456789") != std::string_view::npos ||
      GroupValue(value) > kMaxNotesPages) {
    return Failure("valor de --notes no válido: \"" + ShownText(value) + "\" (de 0 a " +
                   std::to_string(kMaxNotesPages) + " páginas de notas por mes)");
  }
  options.planner.notes = GroupValue(value);
  return {};
}

Result<> SetStyle(std::string_view value, CliOptions& options) {
  static constexpr std::pair<std::string_view, PageStyle> kStyles[] = {
      {"classic", PageStyle::kClassic}, {"modern", PageStyle::kModern}};
  return Choose(value, kStyles, "estilo desconocido", options.style);
}

// "H1-H2": two whole hours from 0 to 23, the first before the second, at
// most kMaxLabelledHours labels.
std::optional<HourSpan> ReadHours(std::string_view text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto hour = [](std::string_view digits) -> std::optional<int> {
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    for (char c : digits) {
      if (!IsDigit(c)) return std::nullopt;
    }
    const int value = GroupValue(digits);
    return value <= 23 ? std::optional<int>(value) : std::nullopt;
  };
  const std::optional<int> first = hour(text.substr(0, dash));
  const std::optional<int> last = hour(text.substr(dash + 1));
  if (!first || !last || *first >= *last || *last - *first + 1 > kMaxLabelledHours) {
    return std::nullopt;
  }
  return HourSpan{*first, *last};
}

Result<> SetHours(std::string_view value, CliOptions& options) {
  options.hours = ReadHours(value);
  if (!options.hours) {
    return Failure("horas no válidas: \"" + ShownText(value) +
                   "\" (H1-H2, de 0 a 23, la primera antes que la segunda, como mucho " +
                   std::to_string(kMaxLabelledHours) + " horas; por ejemplo 8-21)");
  }
  return {};
}

// A number of degrees as typed in "LAT,LON": blanks around it, an optional
// sign, digits and an optional fraction after ".", at most 12 characters.
std::optional<double> ReadDegrees(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty() || text.size() > 12) return std::nullopt;
  const bool negative = text[0] == '-';
  std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  const std::size_t start = i;
  double value = 0;
  while (i < text.size() && IsDigit(text[i])) value = value * 10 + (text[i++] - '0');
  if (i == start) return std::nullopt;
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    const std::size_t fraction = ++i;
    while (i < text.size() && IsDigit(text[i])) {
      value += (text[i++] - '0') * scale;
      scale /= 10;
    }
    if (i == fraction) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return negative ? -value : value;
}

// --place: "none" (in any case), a place FindPlace knows, or "LAT,LON" in degrees.
Result<> SetPlace(std::string_view value, CliOptions& options) {
  options.placeGiven = true;
  if (SameWord(value, "none")) {
    options.place.reset();
    return {};
  }
  if (const std::optional<Place> known = FindPlace(value)) {
    options.place = SunPlace{Utf8ToCp1252(known->name), known->where, known->zone};
    return {};
  }
  const std::size_t comma = value.find(',');
  if (comma != std::string_view::npos && value.find(',', comma + 1) == std::string_view::npos) {
    const std::optional<double> latitude = ReadDegrees(value.substr(0, comma));
    const std::optional<double> longitude = ReadDegrees(value.substr(comma + 1));
    if (latitude && longitude) {
      if (std::abs(*latitude) > 90 || std::abs(*longitude) > 180) {
        return Failure("coordenadas fuera de rango en --place: \"" + ShownText(value) +
                       "\" (latitud de -90 a 90, longitud de -180 a 180)");
      }
      char name[64];
      std::snprintf(name, sizeof name, "%.2f, %.2f", *latitude, *longitude);
      options.place = SunPlace{name, GeoPoint{*latitude, *longitude}, SpanishTime::kPeninsula};
      return {};
    }
  }
  return Failure("lugar desconocido en --place: \"" + ShownText(value) +
                 "\" (una capital de provincia, Ceuta, Melilla, LAT,LON en grados o none)");
}

Result<> AddDateFile(std::string_view value, CliOptions& options) {
  if (options.dateFiles.size() == kMaxDateFiles) {
    return Failure("demasiados --dates: como mucho " + std::to_string(kMaxDateFiles));
  }
  options.dateFiles.emplace_back(value);
  return {};
}

// The options, in the order --help lists them (those only for PDF under
// their own heading). Help lines are cut to fit 80 columns.
constexpr CliOption kOptions[] = {
    {.name = "--to",
     .value = "FECHA",
     .help = "último día de la serie (como mucho diez años)",
     .apply = [](std::string_view value, CliOptions& options) -> Result<> {
       options.toDate = value;
       return {};
     }},
    {.name = "--year",
     .value = "AAAA",
     .help = "todos los días del año AAAA",
     .apply = [](std::string_view value, CliOptions& options) -> Result<> {
       options.year = value;
       return {};
     }},
    {.name = "--format",
     .letter = 'f',
     .value = "FORMATO",
     .help = "bmp (por omisión): un BMP de 24 bits por día;\n"
             "png: un PNG por día, los mismos píxeles;\n"
             "pdf: un solo documento, una hoja A4 por día, con un\n"
             "índice al principio, enlaces y marcadores por mes",
     .apply = SetFormat},
    {.name = "--output",
     .letter = 'o',
     .value = "SALIDA",
     .help = "carpeta de las hojas (por omisión, la actual); con pdf,\n"
             "el archivo (por omisión primera_última.pdf o agenda-AAAA.pdf)",
     .apply = [](std::string_view value, CliOptions& options) -> Result<> {
       options.output = value;
       return {};
     }},
    {.name = "--holidays",
     .help = "pone las fiestas nacionales en rojo bajo el santo",
     .apply = [](std::string_view, CliOptions& options) -> Result<> {
       options.holidays = true;
       return {};
     }},
    {.name = "--dates",
     .value = "ARCHIVO",
     .help = "añade las fechas del ARCHIVO (se puede repetir; - es la\n"
             "entrada estándar): una lista de fechas en UTF-8 o un\n"
             "calendario .ics (ver abajo)",
     .apply = AddDateFile},
    {.name = "--week",
     .value = "iso|agenda",
     .help = "número de semana ISO 8601, o el de la agenda (por omisión)",
     .apply = SetWeek},
    {.name = "--style",
     .value = "classic|modern",
     .help = "classic (por omisión): la hoja de siempre; modern: tildes,\n"
             "santoral revisado, márgenes de 5 mm, el mes, la luna y el sol",
     .apply = SetStyle},
    {.name = "--tz",
     .value = "ZONA",
     .help = "zona horaria de las horas de la agenda: un nombre IANA\n"
             "como Atlantic/Canary (por omisión Europe/Madrid, la hora\n"
             "peninsular); con --style modern, también la de la luna y\n"
             "el sol (Europe/Madrid o Atlantic/Canary; por omisión, la\n"
             "del lugar)",
     .apply = SetTimeZone},
    {.name = "--describe",
     .help = "muestra los textos de cada hoja en vez de grabarla",
     .apply = [](std::string_view, CliOptions& options) -> Result<> {
       // --help and --version win, wherever they are.
       if (options.action == CliAction::kWritePage) options.action = CliAction::kDescribe;
       return {};
     }},
    {.name = "--quiet",
     .letter = 'q',
     .help = "sin barra de progreso",
     .apply = [](std::string_view, CliOptions& options) -> Result<> {
       options.quiet = true;
       return {};
     }},
    {.name = "--help",
     .letter = 'h',
     .help = "muestra esta ayuda",
     .apply = [](std::string_view, CliOptions& options) -> Result<> {
       options.action = CliAction::kHelp;
       return {};
     }},
    {.name = "--version",
     .letter = 'V',
     .help = "muestra la versión",
     .apply = [](std::string_view, CliOptions& options) -> Result<> {
       options.action = CliAction::kVersion;
       return {};
     }},
    {.name = "--paper",
     .value = "PAPEL",
     .pdfOnly = true,
     .help = "a4 (por omisión), a5, letter (carta, 215,9 x 279,4 mm) o\n"
             "tablet (pantalla de 1404 x 1872 píxeles, 157,79 x 210,39 mm);\n"
             "la hoja se escala entera y se centra",
     .apply = SetPaper},
    {.name = "--binding-margin",
     .value = "MM",
     .pdfOnly = true,
     .help = "margen de encuadernación en milímetros (de 0 a 30),\n"
             "a la izquierda en las páginas impares y a la derecha en\n"
             "las pares",
     .apply = SetBindingMargin},
    {.name = "--booklet",
     .pdfOnly = true,
     .help = "cuadernillo: dos páginas A5 por hoja A4 apaisada, en\n"
             "cuadernillos de 4 hojas (16 páginas) para imprimir a doble\n"
             "cara (volteo por el borde corto), doblar y coser",
     .apply = [](std::string_view, CliOptions& options) -> Result<> {
       options.sheets.booklet = true;
       return {};
     }},
    {.name = "--planner",
     .pdfOnly = true,
     .help = "planificador: una página por mes antes de sus días y una\n"
             "por semana (de lunes a domingo) antes de los suyos, con\n"
             "enlaces, y pestañas de los meses y del índice en cada página",
     .apply = [](std::string_view, CliOptions& options) -> Result<> {
       options.planner.planner = true;
       return {};
     }},
    {.name = "--notes",
     .value = "N",
     .pdfOnly = true,
     .help = "N páginas de notas (de 0 a 31) tras el último día de cada mes",
     .apply = SetNotes},
    {.name = "--hours",
     .value = "H1-H2",
     .modernOnly = true,
     .help = "rotula las líneas con las horas de H1 a H2 (de 0 a 23, como\n"
             "mucho 21 horas; por ejemplo 8-21), dos líneas por hora",
     .apply = SetHours},
    {.name = "--place",
     .value = "LUGAR",
     .modernOnly = true,
     .help = "salida y puesta del sol en LUGAR: una capital de provincia,\n"
             "Ceuta o Melilla (por omisión Madrid), LAT,LON en grados o none",
     .apply = SetPlace},
};

// The option an argument names: "--name" up to an "=", or the first two
// characters of a one-letter option ("-o" of "-ocarpeta").
std::string_view OptionName(std::string_view arg) {
  if (arg.starts_with("--")) return arg.substr(0, arg.find('='));
  return arg.substr(0, 2);
}

// How many single-character edits (insert, delete, replace, swap two
// neighbours) turn `a` into `b`.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// The long option an unknown one was probably meant to be: the nearest by
// edit distance (a third of its length at most, at least one edit; or one
// it starts), or nothing when none is near.
std::optional<std::string_view> NearestOption(std::string_view typed) {
  if (!typed.starts_with("--") || typed.size() > 64) return std::nullopt;
  std::optional<std::string_view> nearest;
  std::size_t best = std::max<std::size_t>(1, typed.size() / 3) + 1;
  for (const CliOption& option : kOptions) {
    const std::size_t distance =
        typed.size() > 3 && option.name.starts_with(typed) ? 1 : EditDistance(typed, option.name);
    if (distance < best) {
      best = distance;
      nearest = option.name;
    }
  }
  return nearest;
}

const CliOption* FindOption(std::string_view name) {
  for (const CliOption& option : kOptions) {
    if (name == option.name) return &option;
    if (option.letter != 0 && name.size() == 2 && name[0] == '-' && name[1] == option.letter) {
      return &option;
    }
  }
  return nullptr;
}

// The value of an option that takes one: "--name=value", "-xvalue" or
// "-x=value" for a one-letter option, or the next argument. Every option's
// value goes through here, and an empty one is refused like a missing one:
// an empty --to or --year must not read as no option at all.
Result<std::string> TakeValue(const std::vector<std::string>& args, std::size_t& i,
                              std::string_view name) {
  const std::string& arg = args[i];
  std::string value;
  if (arg.size() > name.size()) {
    value = arg.substr(name.size());
    if (value.front() == '=') value.erase(0, 1);
  } else if (i + 1 < args.size()) {
    value = args[++i];
  } else {
    return Failure("falta el valor de " + std::string(name));
  }
  if (value.empty()) return Failure("el valor de " + std::string(name) + " no puede estar vacío");
  return value;
}

// What no single option can check: how they combine. `pdfOnly` and
// `modernOnly` are the last options given that need --format pdf and
// --style modern (empty: none).
Result<> CheckCombination(const CliOptions& options, std::string_view pdfOnly,
                          std::string_view modernOnly) {
  if (!options.year.empty() && (options.hasDate || !options.toDate.empty())) {
    return Failure("--year no se combina con una fecha ni con --to");
  }
  if (!options.toDate.empty() && !options.hasDate) {
    return Failure("--to necesita la fecha del primer día");
  }
  if (!pdfOnly.empty() && options.format != CliFormat::kPdf) {
    return Failure(std::string(pdfOnly) + " solo vale con --format pdf");
  }
  if (options.sheets.booklet && options.sheets.paper != Paper::kA4) {
    return Failure("--booklet imprime páginas A5 en hojas A4 apaisadas; no se combina con --paper");
  }
  if (!modernOnly.empty() && options.style != PageStyle::kModern) {
    return Failure(std::string(modernOnly) + " solo vale con --style modern");
  }
  return {};
}

// What the modern style implies: the sun of Madrid unless --place says
// otherwise, the moon and the sun in the time --tz names (one of Spain's
// two) or else in the place's own, and the page's 5 mm kept on any paper.
Result<> ApplyStyle(CliOptions& options) {
  if (options.style != PageStyle::kModern) return {};
  if (!options.placeGiven) (void)SetPlace("Madrid", options);
  if (options.timeZoneGiven) {
    options.zone = SpanishTimeNamed(options.timeZone);
    if (!options.zone) {
      return Failure("la hoja moderna da la luna y el sol en hora de España: --tz \"" +
                     ShownText(options.timeZone) +
                     "\" no vale con --style modern (Europe/Madrid o Atlantic/Canary)");
    }
  }
  options.sheets.safeEdgeMm = 5;
  options.sheets.pageMarginPx = kPrintSafeMargin;
  return {};
}

// One option's lines in --help: its spellings, then its description from
// kHelpColumn on (or two blanks further when the spellings reach it).
void AppendHelp(std::string& text, const CliOption& option) {
  std::string head = option.letter != 0 ? std::string("  -") + option.letter + ", " : "      ";
  head += option.name;
  if (!option.value.empty()) head.append(" ").append(option.value);
  head.append(head.size() + 2 > kHelpColumn ? 2 : kHelpColumn - head.size(), ' ');
  text += head;
  std::string_view help = option.help;
  for (std::size_t end = help.find('\n'); end != std::string_view::npos; end = help.find('\n')) {
    text.append(help.substr(0, end + 1)).append(kHelpColumn, ' ');
    help.remove_prefix(end + 1);
  }
  text.append(help).append("\n");
}

std::string MakeUsageText() {
  std::string text(kUsageHead);
  for (const CliOption& option : kOptions) {
    if (!option.pdfOnly && !option.modernOnly) AppendHelp(text, option);
  }
  text += kPdfOnlyHeading;
  for (const CliOption& option : kOptions) {
    if (option.pdfOnly) AppendHelp(text, option);
  }
  text += kModernOnlyHeading;
  for (const CliOption& option : kOptions) {
    if (option.modernOnly) AppendHelp(text, option);
  }
  text += kUsageTail;
  return text;
}

}  // namespace

std::span<const CliOption> CliOptionTable() { return kOptions; }

std::optional<SpanishTime> SpanishTimeNamed(std::string_view zone) {
  if (zone == "Europe/Madrid") return SpanishTime::kPeninsula;
  if (zone == "Atlantic/Canary") return SpanishTime::kCanary;
  return std::nullopt;
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
    return DateText({GroupValue(groups[0]), GroupValue(groups[1]), GroupValue(groups[2])});
  }
  if (groups[0].size() == 4 && fits(groups[1]) && fits(groups[2])) {
    return DateText({GroupValue(groups[2]), GroupValue(groups[1]), GroupValue(groups[0])});
  }
  return std::nullopt;
}

Result<CliOptions> ParseCommandLine(const std::vector<std::string>& args) {
  CliOptions options;
  bool optionsEnded = false;
  std::string_view pdfOnly;     // the last option given that needs --format pdf
  std::string_view modernOnly;  // the last option given that needs --style modern
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-' && !IsDigit(arg[1]);
    if (!isOption) {
      if (options.hasDate) {
        return Failure("sobra el argumento \"" + ShownText(arg) + "\": solo se admite una fecha");
      }
      options.date = arg;
      options.hasDate = true;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const std::string_view name = OptionName(arg);
    const CliOption* option = FindOption(name);
    if (option == nullptr || (option->value.empty() && arg != name)) {
      std::string refusal = "opción desconocida: " + ShownText(arg);
      if (option == nullptr) {
        if (const std::optional<std::string_view> meant = NearestOption(name)) {
          refusal += " (¿quisiste decir " + std::string(*meant) + "?)";
        }
      }
      return Failure(refusal);
    }
    std::string value;
    if (!option->value.empty()) {
      Result<std::string> taken = TakeValue(args, i, name);
      if (!taken) return taken.failure();
      value = std::move(*taken);
    }
    if (Result<> applied = option->apply(value, options); !applied) return applied.failure();
    if (option->pdfOnly) pdfOnly = option->name;
    if (option->modernOnly) modernOnly = option->name;
  }
  if (options.action == CliAction::kHelp || options.action == CliAction::kVersion) return options;
  if (Result<> combined = CheckCombination(options, pdfOnly, modernOnly); !combined) {
    return combined.failure();
  }
  if (Result<> styled = ApplyStyle(options); !styled) return styled.failure();
  return options;
}

std::string_view UsageText() {
  static const std::string text = MakeUsageText();
  return text;
}

}  // namespace trevalda
