#include "app/cli_options.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "page/modern_page.h"
#include "text/cp1252.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

constexpr std::string_view kUsage =
    "Uso: trevalda [FECHA] [-o CARPETA] [--format bmp|png] [--describe] [AGENDA]\n"
    "     trevalda FECHA --to FECHA [-o SALIDA] [--format bmp|png|pdf] [--quiet] [AGENDA]\n"
    "     trevalda --year AAAA [-o SALIDA] [--format bmp|png|pdf] [--quiet] [AGENDA]\n"
    "     trevalda --year AAAA --format pdf [--paper a4|a5|letter|tablet]\n"
    "              [--binding-margin MM] [--booklet] [AGENDA]\n"
    "AGENDA:  [--holidays] [--dates ARCHIVO]... [--week iso|agenda]\n"
    "\n"
    "Crea la hoja de agenda (A4) del día FECHA y la graba como CARPETA/dd-mm-aaaa.bmp.\n"
    "Sin FECHA, crea la hoja de hoy. Con --to o --year crea una hoja por día.\n"
    "\n"
    "FECHA    día/mes/año con el año en cuatro cifras: 07/12/2026, 7-12-2026,\n"
    "         7.12.2026 o 2026-12-07\n"
    "\n"
    "Opciones:\n"
    "      --to FECHA         último día de la serie (como mucho diez años)\n"
    "      --year AAAA        todos los días del año AAAA\n"
    "  -f, --format FORMATO   bmp (por omisión): un BMP de 24 bits por día;\n"
    "                         png: un PNG por día, los mismos píxeles;\n"
    "                         pdf: un solo documento, una hoja A4 por día, con un\n"
    "                         índice al principio, enlaces y marcadores por mes\n"
    "  -o, --output SALIDA    carpeta de las hojas (por omisión, la actual); con pdf,\n"
    "                         el archivo (por omisión primera_última.pdf o agenda-AAAA.pdf)\n"
    "      --holidays         pone las fiestas nacionales en rojo bajo el santo\n"
    "      --dates ARCHIVO    añade las fechas del ARCHIVO (se puede repetir): una lista\n"
    "                         de fechas en UTF-8 o un calendario .ics (ver abajo)\n"
    "      --week iso|agenda  número de semana ISO 8601, o el de la agenda (por omisión)\n"
    "      --describe         muestra los textos de cada hoja en vez de grabarla\n"
    "  -q, --quiet            sin barra de progreso\n"
    "  -h, --help             muestra esta ayuda\n"
    "  -V, --version          muestra la versión\n"
    "\n"
    "Solo con --format pdf:\n"
    "      --paper PAPEL      a4 (por omisión), a5, letter (carta, 215,9 x 279,4 mm) o\n"
    "                         tablet (pantalla de 1404 x 1872 píxeles, 157,8 x 210,4 mm);\n"
    "                         la hoja se escala entera y se centra\n"
    "      --binding-margin MM  margen de encuadernación en milímetros (de 0 a 30),\n"
    "                         a la izquierda en las páginas impares y a la derecha en\n"
    "                         las pares\n"
    "      --booklet          cuadernillo: dos páginas A5 por hoja A4 apaisada, en\n"
    "                         cuadernillos de 4 hojas (16 páginas) para imprimir a doble\n"
    "                         cara (volteo por el borde corto), doblar y coser\n"
    "\n"
    "Lista de fechas (UTF-8), una por línea; se saltan las que empiezan por #:\n"
    "  dd/mm Texto         cada año             dd/mm/aaaa Texto   solo ese día\n"
    "  pascua+N Texto      N días tras Pascua   pascua-N Texto     N días antes\n"
    "  !dd/mm Texto        un ! delante marca un festivo (en rojo)\n"
    "Un .ics (BEGIN:VCALENDAR) aporta sus VEVENT; horas UTC en hora peninsular.\n"
    "\n"
    "Códigos de salida: 0 grabado; 1 no se pudo grabar (o escribir la salida de --describe,\n"
    "--help o --version); 2 orden, fecha o archivo de fechas no válidos (no se graba nada);\n"
    "128 + la señal si se interrumpió (130 Ctrl-C, 143 TERM, 129 HUP).\n";

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

// "H1-H2": two whole hours from 0 to 23, the first before the second, at
// most kMaxLabelledHours labels.
std::optional<HourSpan> ReadHours(std::string_view text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::string_view first = text.substr(0, dash);
  const std::string_view last = text.substr(dash + 1);
  const auto hour = [](std::string_view digits) -> std::optional<int> {
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    for (char c : digits) {
      if (!IsDigit(c)) return std::nullopt;
    }
    const int value = GroupValue(digits);
    return value <= 23 ? std::optional<int>(value) : std::nullopt;
  };
  const std::optional<int> h1 = hour(first);
  const std::optional<int> h2 = hour(last);
  if (!h1 || !h2 || *h1 >= *h2 || *h2 - *h1 + 1 > kMaxLabelledHours) return std::nullopt;
  return HourSpan{*h1, *h2};
}

// A decimal number as typed in "LAT,LON": an optional sign, digits and an
// optional fraction after ".", at most 12 characters.
std::optional<double> ReadDegrees(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  const bool negative = text[0] == '-';
  double value = 0;
  const std::size_t start = i;
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

// --place: "none", a place FindPlace knows, or "LAT,LON" in degrees.
// Returns false with the reason in `error`.
bool ReadPlace(const std::string& typed, std::optional<SunPlace>& place, std::string& error) {
  if (typed == "none") {
    place.reset();
    return true;
  }
  if (const std::optional<Place> known = FindPlace(typed)) {
    place = SunPlace{Utf8ToCp1252(known->name), known->where, known->zone};
    return true;
  }
  const std::size_t comma = typed.find(',');
  if (comma != std::string::npos && typed.find(',', comma + 1) == std::string::npos) {
    const std::optional<double> latitude = ReadDegrees(std::string_view(typed).substr(0, comma));
    const std::optional<double> longitude = ReadDegrees(std::string_view(typed).substr(comma + 1));
    if (latitude && longitude) {
      if (std::abs(*latitude) > 90 || std::abs(*longitude) > 180) {
        error = "coordenadas fuera de rango en --place: \"" + ShownText(typed) +
                "\" (latitud de -90 a 90, longitud de -180 a 180)";
        return false;
      }
      char name[64];
      std::snprintf(name, sizeof name, "%.2f, %.2f", *latitude, *longitude);
      place = SunPlace{name, GeoPoint{*latitude, *longitude}, SpanishTime::kPeninsula};
      return true;
    }
  }
  error = "lugar desconocido en --place: \"" + ShownText(typed) +
          "\" (una capital de provincia, Ceuta, Melilla, LAT,LON en grados o none)";
  return false;
}

// The value of an option that takes one: "--name=value", "-xvalue" or
// "-x=value" for a one-letter option, or the next argument. Every option's
// value goes through here, and an empty one is refused like a missing one:
// an empty --to or --year must not read as no option at all.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
               std::string& value, std::string& error) {
  const std::string& arg = args[i];
  if (arg.size() > name.size()) {
    value = arg.substr(name.size());
    if (value.front() == '=') value.erase(0, 1);
  } else if (i + 1 < args.size()) {
    value = args[++i];
  } else {
    error = "falta el valor de " + std::string(name);
    return false;
  }
  if (value.empty()) {
    error = "el valor de " + std::string(name) + " no puede estar vacío";
    return false;
  }
  return true;
}

// The option an argument names: "--name" up to an "=", or the first two
// characters of a one-letter option ("-o" of "-ocarpeta").
std::string_view OptionName(std::string_view arg) {
  if (arg.starts_with("--")) return arg.substr(0, arg.find('='));
  return arg.substr(0, 2);
}

}  // namespace

std::optional<SpanishTime> SpanishTimeNamed(std::string_view zone) {
  if (zone == "Europe/Madrid") return SpanishTime::kPeninsula;
  if (zone == "Atlantic/Canary") return SpanishTime::kCanary;
  return std::nullopt;
}

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
  std::string pdfOnly;     // the last option given that needs --format pdf
  std::string modernOnly;  // the last option given that needs --style modern
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-' && !IsDigit(arg[1]);
    if (!isOption) {
      if (haveDate) {
        result.error = "sobra el argumento \"" + ShownText(arg) + "\": solo se admite una fecha";
        return result;
      }
      options.date = arg;
      options.hasDate = haveDate = true;
      continue;
    }
    const std::string_view name = OptionName(arg);
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      options.action = CliAction::kHelp;
    } else if (arg == "-V" || arg == "--version") {
      options.action = CliAction::kVersion;
    } else if (arg == "--describe") {
      if (options.action == CliAction::kWritePage) options.action = CliAction::kDescribe;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (name == "-o" || name == "--output") {
      if (!TakeValue(args, i, name, options.output, result.error)) return result;
    } else if (name == "--to") {
      if (!TakeValue(args, i, name, options.toDate, result.error)) return result;
    } else if (name == "--year") {
      if (!TakeValue(args, i, name, options.year, result.error)) return result;
    } else if (arg == "--holidays") {
      options.holidays = true;
    } else if (name == "--dates") {
      std::string file;
      if (!TakeValue(args, i, name, file, result.error)) return result;
      if (file.empty()) {
        result.error = "el archivo de --dates no puede estar vacío";
        return result;
      }
      if (options.dateFiles.size() == kMaxDateFiles) {
        result.error = "demasiados --dates: como mucho " + std::to_string(kMaxDateFiles);
        return result;
      }
      options.dateFiles.push_back(std::move(file));
    } else if (name == "--week") {
      std::string week;
      if (!TakeValue(args, i, name, week, result.error)) return result;
      if (week != "iso" && week != "agenda") {
        result.error = "semana desconocida: \"" + ShownText(week) + "\" (iso o agenda)";
        return result;
      }
      options.isoWeek = week == "iso";
    } else if (name == "--style") {
      std::string style;
      if (!TakeValue(args, i, name, style, result.error)) return result;
      if (style != "classic" && style != "modern") {
        result.error = "estilo desconocido: \"" + ShownText(style) + "\" (classic o modern)";
        return result;
      }
      options.style = style == "modern" ? PageStyle::kModern : PageStyle::kClassic;
    } else if (name == "--hours") {
      std::string hours;
      if (!TakeValue(args, i, name, hours, result.error)) return result;
      options.hours = ReadHours(hours);
      if (!options.hours) {
        result.error = "horas no válidas: \"" + ShownText(hours) +
                       "\" (H1-H2, de 0 a 23, la primera antes que la segunda, como mucho " +
                       std::to_string(kMaxLabelledHours) + " horas; por ejemplo 8-21)";
        return result;
      }
      modernOnly = "--hours";
    } else if (name == "--place") {
      std::string place;
      if (!TakeValue(args, i, name, place, result.error)) return result;
      if (!ReadPlace(place, options.place, result.error)) return result;
      options.placeGiven = true;
      modernOnly = "--place";
    } else if (name == "--tz") {
      std::string zone;
      if (!TakeValue(args, i, name, zone, result.error)) return result;
      options.zone = SpanishTimeNamed(zone);
      if (!options.zone) {
        result.error = "zona horaria no admitida: \"" + ShownText(zone) +
                       "\" (Europe/Madrid o Atlantic/Canary)";
        return result;
      }
    } else if (name == "-f" || name == "--format") {
      std::string format;
      if (!TakeValue(args, i, name, format, result.error)) return result;
      if (format == "bmp") {
        options.format = CliFormat::kBmp;
      } else if (format == "png") {
        options.format = CliFormat::kPng;
      } else if (format == "pdf") {
        options.format = CliFormat::kPdf;
      } else {
        result.error = "formato desconocido: \"" + ShownText(format) + "\" (bmp, png o pdf)";
        return result;
      }
    } else if (name == "--paper") {
      std::string paper;
      if (!TakeValue(args, i, name, paper, result.error)) return result;
      if (paper == "a4") {
        options.sheets.paper = Paper::kA4;
      } else if (paper == "a5") {
        options.sheets.paper = Paper::kA5;
      } else if (paper == "letter") {
        options.sheets.paper = Paper::kLetter;
      } else if (paper == "tablet") {
        options.sheets.paper = Paper::kTablet;
      } else {
        result.error = "papel desconocido: \"" + ShownText(paper) + "\" (a4, a5, letter o tablet)";
        return result;
      }
      pdfOnly = "--paper";
    } else if (name == "--binding-margin") {
      std::string margin;
      if (!TakeValue(args, i, name, margin, result.error)) return result;
      const std::optional<double> value = ReadMillimetres(margin);
      if (!value) {
        result.error = "margen de encuadernación no válido: \"" + ShownText(margin) +
                       "\" (milímetros de 0 a 30, por ejemplo 12 o 7,5)";
        return result;
      }
      options.sheets.bindingMarginMm = *value;
      pdfOnly = "--binding-margin";
    } else if (arg == "--booklet") {
      options.sheets.booklet = true;
      pdfOnly = "--booklet";
    } else {
      result.error = "opción desconocida: " + ShownText(arg);
      return result;
    }
  }
  if (options.action == CliAction::kHelp || options.action == CliAction::kVersion) {
    result.ok = true;
    return result;
  }
  if (!options.year.empty() && (haveDate || !options.toDate.empty())) {
    result.error = "--year no se combina con una fecha ni con --to";
    return result;
  }
  if (!options.toDate.empty() && !haveDate) {
    result.error = "--to necesita la fecha del primer día";
    return result;
  }
  if (!pdfOnly.empty() && options.format != CliFormat::kPdf) {
    result.error = pdfOnly + " solo vale con --format pdf";
    return result;
  }
  if (!modernOnly.empty() && options.style != PageStyle::kModern) {
    result.error = modernOnly + " solo vale con --style modern";
    return result;
  }
  if (options.style == PageStyle::kModern) {
    if (!options.placeGiven) {
      std::string ignored;
      ReadPlace("Madrid", options.place, ignored);
    }
    // The page's own 5 mm stay 5 mm on any paper.
    options.sheets.safeEdgeMm = 5;
    options.sheets.pageMarginPx = kPrintSafeMargin;
  }
  if (options.sheets.booklet && options.sheets.paper != Paper::kA4) {
    result.error = "--booklet imprime páginas A5 en hojas A4 apaisadas; no se combina con --paper";
    return result;
  }
  result.ok = true;
  return result;
}

std::string_view UsageText() { return kUsage; }

}  // namespace trevalda
