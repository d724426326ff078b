#include "app/create_page.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>

#include "calendar/names.h"
#include "calendar/saints.h"
#include "canvas/bitmap_file.h"
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

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal digits at the start of `piece` (at most four characters) as a
// number; 0 when it starts with none.
std::int16_t ReadLeadingDigits(std::string_view piece) {
  std::int16_t value = 0;
  for (const char c : piece) {
    if (!IsDigit(c)) break;
    value = static_cast<std::int16_t>(value * 10 + (c - '0'));
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

constexpr const char* kNoCanvas = "no hay lienzo para dibujar la página.";

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

PageDate PageDateFromStem(std::string_view stem) {
  PageDate date;
  date.day = ReadLeadingDigits(Piece(stem, 0, 2));
  date.month = ReadLeadingDigits(Piece(stem, 3, 2));
  date.year = ReadLeadingDigits(stem.size() <= 4 ? stem : stem.substr(stem.size() - 4));
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

Result<PageDate> ReadDateText(std::string_view dateText) {
  const std::string stem = MakeFileStem(dateText);
  const PageDate date = PageDateFromStem(stem);
  if (!HasDateLayout(stem) || !IsValidPageDate(date) || !IsSafeFileStem(stem)) {
    return Failure("Fecha no válida: \"" + ShownText(Cp1252ToUtf8(dateText)) +
                   "\". Indica día, mes y año con cuatro cifras, por ejemplo 07/12/2026.");
  }
  return date;
}

std::string BadDateMessage(std::string_view typed) {
  std::string message = "fecha no válida: \"";
  message.append(ShownText(typed));
  message.append("\". Escribe día/mes/año con el año en cuatro cifras, por ejemplo 07/12/2026.");
  return message;
}

DayPageContent PageContentFor(const AgendaOptions& options, const PageDate& date) {
  DayPageContent content;
  if (options.agenda != nullptr) content.entries = options.agenda->EntriesFor(date);
  content.week = options.week;
  content.style = options.style;
  if (options.style != PageStyle::kModern) return content;
  content.modern = options.modern;
  if (options.agenda != nullptr && IsValidPageDate(date)) {
    for (std::int16_t day = 1; day <= DaysInMonth(date.year, date.month); ++day) {
      const std::vector<AgendaEntry> entries =
          options.agenda->EntriesFor(PageDate{day, date.month, date.year});
      if (std::any_of(entries.begin(), entries.end(),
                      [](const AgendaEntry& entry) { return entry.holiday; })) {
        content.monthHolidays |= 1U << day;
      }
    }
  }
  return content;
}

namespace {

// A page named and checked, not yet saved: kBadDate (with the message) when
// `date` is not a page date.
PageOutcome NamePage(const PageDate& date, std::string stem, const std::filesystem::path& folder,
                     PageFormat format) {
  PageOutcome outcome;
  outcome.date = date;
  outcome.stem = std::move(stem);
  if (!IsValidPageDate(date)) {
    outcome.message = BadDateMessage(DateText(date));
    return outcome;
  }
  const char* extension = format == PageFormat::kPng ? ".png" : ".bmp";
  outcome.file = folder / PathFromCp1252(outcome.stem + extension);
  outcome.status = PageStatus::kNotSaved;
  return outcome;
}

// Fills in the status and the message from the save, or from why the page
// could not be drawn or encoded.
void ReportSave(PageOutcome& outcome, const Result<>& made) {
  if (made && outcome.save.Saved()) {
    outcome.status = PageStatus::kSaved;
    outcome.message = "Grabado " + Cp1252ToUtf8(outcome.stem);
    return;
  }
  outcome.status = PageStatus::kNotSaved;
  outcome.message = "no se pudo grabar " + ShownPath(outcome.file);
  if (!made) {
    outcome.message += ": " + made.message();
  } else if (outcome.save.error) {
    outcome.message += " (" + outcome.save.step + "): " + ErrorText(outcome.save.error);
  }
}

// Saves the page drawn on `canvas` as outcome.file and reports how it went.
void SaveCanvasPage(PageOutcome& outcome, CanvasHandle canvas, PageFormat format) {
  AttachCanvas(canvas, 0, 0);
  outcome.save =
      format == PageFormat::kPng ? SaveCanvasPng(outcome.file) : SaveCanvasBitmap(outcome.file);
  ReportSave(outcome, {});
}

// One page alone: drawn on the process's page canvas, then saved.
PageOutcome WriteNamedPage(PageOutcome outcome, PageFormat format, const AgendaOptions& agenda) {
  if (outcome.status == PageStatus::kBadDate) return outcome;
  const std::lock_guard lock(pageMutex);
  const CanvasHandle canvas = InitializePageCommand();
  static_cast<void>(TakeTextProblem());  // only this page's texts count
  const Result<> drawn =
      DrawPageOnCanvas(canvas, outcome.date, PageContentFor(agenda, outcome.date));
  if (RefuseUnwrittenTexts(outcome)) return outcome;  // the more telling reason first
  if (!drawn) {
    ReportSave(outcome, drawn);
    return outcome;
  }
  SaveCanvasPage(outcome, canvas, format);
  return outcome;
}

}  // namespace

bool RefuseUnwrittenTexts(PageOutcome& outcome) {
  const std::string problem = TakeTextProblem();
  if (problem.empty()) return false;
  outcome.status = PageStatus::kNotSaved;
  outcome.message = "no se pudo grabar " + ShownPath(outcome.file) + ": " + problem;
  return true;
}

Result<> DrawPageOnCanvas(CanvasHandle canvas, const PageDate& date,
                          const DayPageContent& content) {
  if (canvas == 0) return Failure(kNoCanvas);
  static_cast<void>(TakeCanvasError());  // an earlier page's failure is not this one's
  PreparePage(canvas);
  DrawDayPage(canvas, date, content);
  if (TakeCanvasError() != 0) return Failure("la página no se pudo dibujar.");
  return {};
}

PageOutcome WriteDayPage(const PageDate& date, const std::filesystem::path& folder,
                         PageFormat format, const AgendaOptions& agenda) {
  return WriteNamedPage(NamePage(date, DateStem(date), folder, format), format, agenda);
}

PageOutcome WriteDayPageFromText(std::string_view dateText, const std::filesystem::path& folder,
                                 PageFormat format, const AgendaOptions& agenda) {
  const Result<PageDate> date = ReadDateText(dateText);
  if (!date) {
    PageOutcome outcome;
    outcome.stem = MakeFileStem(dateText);
    outcome.message = date.message();
    return outcome;
  }
  PageOutcome outcome =
      WriteNamedPage(NamePage(*date, MakeFileStem(dateText), folder, format), format, agenda);
  // A message box starts a sentence.
  if (!outcome.message.empty() && outcome.message[0] >= 'a' && outcome.message[0] <= 'z') {
    outcome.message[0] = static_cast<char>(outcome.message[0] - 'a' + 'A');
  }
  return outcome;
}

PageOutcome SaveDrawnPage(CanvasHandle canvas, const PageDate& date,
                          const std::filesystem::path& folder, PageFormat format) {
  PageOutcome outcome = NamePage(date, DateStem(date), folder, format);
  if (outcome.status == PageStatus::kBadDate) return outcome;
  if (canvas == 0) {
    ReportSave(outcome, Failure(kNoCanvas));
    return outcome;
  }
  SaveCanvasPage(outcome, canvas, format);
  return outcome;
}

Result<std::vector<std::uint8_t>> DrawPagePng(CanvasHandle canvas, const PageDate& date,
                                              const DayPageContent& content) {
  InitializeTables();
  if (Result<> drawn = DrawPageOnCanvas(canvas, date, content); !drawn) return drawn.failure();
  try {
    std::vector<std::uint8_t> png = EncodeCanvasPng();
    if (png.empty()) return Failure("no se pudo codificar la página.");
    return png;
  } catch (const std::bad_alloc&) {
    return Failure("no hay memoria para codificar la página.");
  }
}

PageOutcome SavePageFile(const PageDate& date, const std::filesystem::path& folder,
                         PageFormat format, const Result<std::vector<std::uint8_t>>& file) {
  PageOutcome outcome = NamePage(date, DateStem(date), folder, format);
  if (outcome.status == PageStatus::kBadDate) return outcome;
  if (!file) {
    ReportSave(outcome, file.failure());
    return outcome;
  }
  outcome.save = SaveFileBytes(outcome.file, *file);
  ReportSave(outcome, {});
  return outcome;
}

}  // namespace trevalda
