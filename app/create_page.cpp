#include "app/create_page.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>

#include "calendar/names.h"
#include "calendar/saints.h"
#include "canvas/canvas.h"
#include "canvas/png_file.h"
#include "canvas/text.h"
#include "page/day_page.h"
#include "text/cp1252.h"
#include "text/error_text.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

// A4 at 96 dots per inch.
constexpr long double kPixelsPerMillimetre = 3.779527559L;
constexpr long double kPageWidthMillimetres = 210;
constexpr long double kPageHeightMillimetres = 297;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// "&" followed by a base letter and the digits of that base.
double ReadBasedWholeNumber(std::string_view rest) {
  int base = 8;
  if (!rest.empty()) {
    switch (rest.front()) {
      case 'B':
      case 'b':
        base = 2;
        rest.remove_prefix(1);
        break;
      case 'H':
      case 'h':
        base = 16;
        rest.remove_prefix(1);
        break;
      case 'O':
      case 'o':
      case 'Q':
      case 'q':
        rest.remove_prefix(1);
        break;
      default:
        break;  // base 8 with the digits straight after the "&"
    }
  }
  double value = 0;
  for (char c : rest) {
    const int digit = DigitValue(c);
    if (digit >= base) break;
    value = value * base + digit;
  }
  return value;
}

// Rounds halves to the even neighbour, whatever the current rounding mode.
long double RoundHalfEven(long double value) {
  const long double floor = std::floor(value);
  const long double fraction = value - floor;
  if (fraction > 0.5L) return floor + 1;
  if (fraction < 0.5L) return floor;
  return std::fmod(floor, 2.0L) == 0 ? floor : floor + 1;
}

// The piece of `text` that starts at `position` (counting from 0) and is at
// most `length` long, cut as far as the text reaches.
std::string_view Piece(std::string_view text, std::size_t position, std::size_t length) {
  if (position >= text.size()) return {};
  return text.substr(position, length);
}

// The layout the date is cut from: two digits, a separator, two digits, a
// separator, four digits. Anything else would cut the day or the month from
// the wrong characters.
bool HasDateLayout(std::string_view stem) {
  if (stem.size() != 10) return false;
  for (std::size_t i = 0; i < stem.size(); ++i) {
    const bool separator = i == 2 || i == 5;
    if (IsDigit(stem[i]) == separator) return false;
  }
  return true;
}

bool IsSafeFileStem(std::string_view stem) {
  if (stem.empty() || stem == "." || stem == "..") return false;
  for (char c : stem) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
    switch (c) {
      case '<':
      case '>':
      case ':':
      case '"':
      case '|':
      case '?':
      case '*':
        return false;
      default:
        break;
    }
  }
  return true;
}

std::filesystem::path PathFromCp1252(std::string_view name) {
  const std::string utf8 = Cp1252ToUtf8(name);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// One page at a time: the canvas and the tables are shared by the process.
std::mutex pageMutex;

}  // namespace

std::string MakeFileStem(std::string_view text) {
  std::string stem;
  stem.reserve(text.size());
  for (char c : text) {
    if (c == '/' || c == '\\') {
      stem.push_back('-');
    } else if (c != ' ') {
      stem.push_back(c);
    }
  }
  return stem;
}

double ReadLeadingNumber(std::string_view piece) {
  std::size_t i = 0;
  while (i < piece.size() && IsBlank(piece[i])) ++i;
  if (i < piece.size() && piece[i] == '&') {
    return ReadBasedWholeNumber(piece.substr(i + 1));
  }

  bool negative = false;
  if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) {
    negative = piece[i] == '-';
    ++i;
  }
  std::string_view whole;
  std::string_view fraction;
  std::size_t start = i;
  while (i < piece.size() && IsDigit(piece[i])) ++i;
  whole = piece.substr(start, i - start);
  if (i < piece.size() && piece[i] == '.') {
    start = ++i;
    while (i < piece.size() && IsDigit(piece[i])) ++i;
    fraction = piece.substr(start, i - start);
  }
  if (whole.empty() && fraction.empty()) return 0;
  int exponent = 0;
  if (i < piece.size() &&
      (piece[i] == 'E' || piece[i] == 'e' || piece[i] == 'D' || piece[i] == 'd')) {
    ++i;
    bool negativeExponent = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) {
      negativeExponent = piece[i] == '-';
      ++i;
    }
    for (int digits = 0; digits < 4 && i < piece.size() && IsDigit(piece[i]); ++digits, ++i) {
      exponent = exponent * 10 + (piece[i] - '0');
    }
    if (negativeExponent) exponent = -exponent;
  }

  // from_chars reads this form whatever the locale says a decimal point is.
  std::string number(whole.empty() ? "0" : whole);
  if (!fraction.empty()) number.append(".").append(fraction);
  number += 'e';
  number += std::to_string(exponent);
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Out of the range of a double: an infinity when large, zero when tiny.
    // The decimal exponent of the first significant digit tells which.
    const auto firstWhole = whole.find_first_not_of('0');
    const auto firstFraction = fraction.find_first_not_of('0');
    const long long magnitude = firstWhole != std::string_view::npos
                                    ? static_cast<long long>(whole.size() - firstWhole) + exponent
                                    : -static_cast<long long>(firstFraction) + exponent;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

std::int16_t ReadLeadingInt16(std::string_view piece) {
  const long double value = RoundHalfEven(ReadLeadingNumber(piece));
  if (!std::isfinite(value) || value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    return 0;
  }
  return static_cast<std::int16_t>(value);
}

PageDate PageDateFromStem(std::string_view stem) {
  PageDate date;
  date.day = ReadLeadingInt16(Piece(stem, 0, 2));
  date.month = ReadLeadingInt16(Piece(stem, 3, 2));
  date.year = ReadLeadingInt16(stem.size() <= 4 ? stem : stem.substr(stem.size() - 4));
  return date;
}

std::int32_t PageCanvasWidth() {
  return static_cast<std::int32_t>(RoundHalfEven(kPixelsPerMillimetre * kPageWidthMillimetres));
}

std::int32_t PageCanvasHeight() {
  return static_cast<std::int32_t>(RoundHalfEven(kPixelsPerMillimetre * kPageHeightMillimetres));
}

void InitializeTables() {
  static std::once_flag once;
  std::call_once(once, [] {
    FillNameTables();
    FillSaintTable();
  });
}

CanvasHandle InitializePageCommand() {
  static CanvasHandle canvas = [] {
    const CanvasHandle handle = CreateCanvas(PageCanvasWidth(), PageCanvasHeight());
    InitializeTables();
    return handle;
  }();
  return canvas;
}

bool ReadDateText(std::string_view dateText, std::string& stem, PageDate& date, std::string& why) {
  stem = MakeFileStem(dateText);
  date = PageDateFromStem(stem);
  if (!HasDateLayout(stem) || !IsValidPageDate(date) || !IsSafeFileStem(stem)) {
    why = "Fecha no válida: \"" + ShownText(Cp1252ToUtf8(dateText)) +
          "\". Indica día, mes y año con cuatro cifras, por ejemplo 07/12/2026.";
    return false;
  }
  return true;
}

DayPageContent PageContentFor(const AgendaOptions& options, const PageDate& date) {
  DayPageContent content;
  if (options.agenda != nullptr) content.entries = options.agenda->EntriesFor(date);
  content.week = options.week;
  return content;
}

namespace {

// The stem, date and file of a page; false (with the message) when the
// date text is not a page date.
bool NamePage(std::string_view dateText, const std::filesystem::path& folder, PageFormat format,
              PageOutcome& outcome) {
  if (!ReadDateText(dateText, outcome.stem, outcome.date, outcome.message)) {
    outcome.status = PageStatus::kBadDate;
    return false;
  }
  const char* extension = format == PageFormat::kPng ? ".png" : ".bmp";
  outcome.file = folder / PathFromCp1252(outcome.stem + extension);
  return true;
}

// Fills in the status and the message from outcome.save.
void ReportSave(PageOutcome& outcome, bool drawn) {
  if (outcome.save.Saved()) {
    outcome.status = PageStatus::kSaved;
    outcome.message = "Grabado " + Cp1252ToUtf8(outcome.stem);
    return;
  }
  outcome.status = PageStatus::kNotSaved;
  outcome.message = "No se pudo grabar " + ShownPath(outcome.file);
  if (!drawn) {
    outcome.message += ": no hay lienzo para dibujar la página.";
  } else if (outcome.save.error) {
    outcome.message += " (" + outcome.save.step + "): " + ErrorText(outcome.save.error);
  }
}

}  // namespace

bool RefuseUnwrittenTexts(PageOutcome& outcome) {
  const std::string problem = TakeTextProblem();
  if (problem.empty()) return false;
  outcome.status = PageStatus::kNotSaved;
  outcome.message = "No se pudo grabar " + ShownPath(outcome.file) + ": " + problem;
  return true;
}

PageOutcome CreatePage(std::string_view dateText, const std::filesystem::path& folder,
                       PageFormat format, const AgendaOptions& agenda) {
  PageOutcome outcome;
  if (!NamePage(dateText, folder, format, outcome)) {
    return outcome;
  }
  const std::lock_guard lock(pageMutex);
  const CanvasHandle canvas = InitializePageCommand();
  (void)TakeTextProblem();  // only this page's texts count
  PreparePage(canvas);
  DrawDayPage(canvas, outcome.date, PageContentFor(agenda, outcome.date));
  if (RefuseUnwrittenTexts(outcome)) return outcome;
  return SaveDrawnPage(canvas, dateText, folder, format);
}

PageOutcome SaveDrawnPage(CanvasHandle canvas, std::string_view dateText,
                          const std::filesystem::path& folder, PageFormat format) {
  PageOutcome outcome;
  if (!NamePage(dateText, folder, format, outcome)) {
    return outcome;
  }
  AttachCanvas(canvas, 0, 0);
  outcome.save =
      format == PageFormat::kPng ? SaveCanvasPng(outcome.file) : SaveCanvasBitmap(outcome.file);
  ReportSave(outcome, canvas != 0);
  return outcome;
}

std::vector<std::uint8_t> DrawPagePng(CanvasHandle canvas, const PageDate& date,
                                      const DayPageContent& content) {
  if (canvas == 0) {
    return {};
  }
  InitializeTables();
  PreparePage(canvas);
  DrawDayPage(canvas, date, content);
  try {
    return EncodeCanvasPng();
  } catch (const std::bad_alloc&) {
    return {};
  }
}

PageOutcome SavePageFile(std::string_view dateText, const std::filesystem::path& folder,
                         PageFormat format, std::span<const std::uint8_t> file) {
  PageOutcome outcome;
  if (!NamePage(dateText, folder, format, outcome)) {
    return outcome;
  }
  if (file.empty()) {
    outcome.save.status = SaveStatus::kFailed;
    outcome.save.error = std::make_error_code(std::errc::not_enough_memory);
    outcome.save.step = "codificar";
  } else {
    outcome.save = SaveFileBytes(outcome.file, file);
  }
  ReportSave(outcome, true);
  return outcome;
}

}  // namespace trevalda
