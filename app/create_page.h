// The page command shared by both front ends: from a date (or, for the
// dialog, the text of a date) to a saved page.
//
// Date texts and file stems are Windows-1252 bytes. The command keeps one
// page canvas and the three text tables for the whole process, made on its
// first use.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "agenda/agenda.h"
#include "base/result.h"
#include "calendar/calendar.h"
#include "canvas/canvas.h"
#include "canvas/safe_save.h"
#include "page/day_page.h"

namespace trevalda {

// The date text with every "\" and "/" turned into "-", then every space
// (code 32) removed. Other characters stay: "07.12.2026" comes back as is.
std::string MakeFileStem(std::string_view text);

// The page date cut from a stem at fixed positions: the day from characters
// 1-2, the month from 4-5, the year from the last four (counting from 1;
// pieces are cut as far as the stem reaches), each piece read as the decimal
// digits it starts with (0 when none). ReadDateText uses the date only when
// the stem has the dd?mm?yyyy layout.
PageDate PageDateFromStem(std::string_view stem);

// Width and height of the page canvas from A4 (210 x 297 mm) at
// 3.779527559 pixels per millimetre, rounded halves to even: 794 x 1123.
std::int32_t PageCanvasWidth();
std::int32_t PageCanvasHeight();

// Fills the month, weekday and saint tables, once per process.
void InitializeTables();

// Makes the page canvas and fills the month, weekday and saint tables. Runs
// once per process; later calls return at once. Returns the canvas handle
// (0 when the canvas could not be made).
CanvasHandle InitializePageCommand();

// The file a page is saved as.
enum class PageFormat {
  kBmp,  // the classic 24-bit Windows bitmap, <stem>.bmp
  kPng,  // the same pixels as PNG, <stem>.png
};

enum class PageStatus {
  kSaved,     // the whole file was written
  kBadDate,   // the text gives no real date of the years 1 to 9999; nothing drawn or written
  kNotSaved,  // the page was drawn but the file could not be written; an old file stays intact
};

struct PageOutcome {
  PageStatus status = PageStatus::kBadDate;
  std::string stem;  // the file stem (Windows-1252)
  PageDate date;
  std::filesystem::path file;  // where the page was (or would have been) saved
  SaveResult save;             // the save's own result when status is kSaved or kNotSaved
  // What to tell the user, in Spanish, UTF-8: "Grabado 07-12-2026", or what
  // went wrong and why. UTF-8 because it names the file as the user typed
  // it (see text/shown_text.h), which Windows-1252 cannot always hold.
  std::string message;
};

// Reads a date text as the dialog's page command does: the date cut from
// its stem (MakeFileStem). Fails, with a Spanish message (UTF-8, the date
// text shown with ShownText), when the stem does not have the layout
// dd?mm?yyyy (two digits, a separator, two digits, a separator, four
// digits), when the date is not a real calendar day of the years 1 to 9999,
// or when the stem cannot serve as a file name. The message is the
// dialog's own text ("Fecha no válida: ..."); the command line says
// BadDateMessage instead.
Result<PageDate> ReadDateText(std::string_view dateText);

// What the command line and the job layer say of a date that cannot be read
// or is not a real day, in the style of all their messages (lowercase, the
// program's name goes in front): `fecha no válida: "31/02/2026". Escribe
// día/mes/año ...`. `typed` is UTF-8, shown with ShownText.
std::string BadDateMessage(std::string_view typed);

// What the pages carry beyond the classic page: the agenda's entries and
// the week rule. The default adds nothing.
struct AgendaOptions {
  const Agenda* agenda = nullptr;  // holidays and the user's dates; must outlive the pages
  WeekRule week = WeekRule::kDiary;
  PageStyle style = PageStyle::kClassic;
  ModernPageOptions modern;  // the modern page's hours, place and time
};

// The page content for `date`: its agenda entries (none without an agenda),
// the week rule and the style with its options; for the modern page also
// the holidays of the month.
DayPageContent PageContentFor(const AgendaOptions& options, const PageDate& date);

// For a page just drawn under the name in `outcome`: when a text of it did
// not show as written (TakeTextProblem, canvas/text.h: no usable font, a
// character the font lacks), marks `outcome` not saved with the reason and
// returns true; the page must not be saved.
bool RefuseUnwrittenTexts(PageOutcome& outcome);

// Checks `date`, draws its page (with what `agenda` adds) and saves it as
// <folder>/<DateStem(date)>.bmp (or .png; the current folder when `folder`
// is empty); a page whose texts did not show is not saved
// (RefuseUnwrittenTexts). Initialises the command first if needed. Safe to call many
// times, also from several threads; each call stands alone.
PageOutcome WriteDayPage(const PageDate& date, const std::filesystem::path& folder = {},
                         PageFormat format = PageFormat::kBmp, const AgendaOptions& agenda = {});

// The dialog's path: the date and the stem from the picker's text
// (ReadDateText, MakeFileStem), then the page as WriteDayPage makes it,
// saved as <folder>/<stem>.bmp. The message starts with a capital letter, as
// a message box does ("No se pudo grabar ..."); WriteDayPage's start as the
// command line's do ("no se pudo grabar ...").
PageOutcome WriteDayPageFromText(std::string_view dateText,
                                 const std::filesystem::path& folder = {},
                                 PageFormat format = PageFormat::kBmp,
                                 const AgendaOptions& agenda = {});

// The parts of WriteDayPage, for many pages at once, each canvas drawn on
// by one thread at a time (the calling thread attaches it):
// SaveDrawnPage saves the page for `date` already drawn on `canvas`
// (PreparePage and DrawDayPage), its rows written straight from the canvas.
PageOutcome SaveDrawnPage(CanvasHandle canvas, const PageDate& date,
                          const std::filesystem::path& folder, PageFormat format);

// DrawPageOnCanvas prepares `canvas` (a page-sized canvas) and draws the
// page for `date` with `content` on it; then it asks the canvas engine's
// error record (TakeCanvasError) whether every drawing call went through.
// Fails when there is no canvas or a call was refused.
Result<> DrawPageOnCanvas(CanvasHandle canvas, const PageDate& date,
                          const DayPageContent& content = {});

// DrawPagePng draws the page for `date` with `content` on `canvas` (a
// page-sized canvas) and returns its PNG file, or why it could not be made
// (no canvas, the canvas engine refused a drawing call, no memory).
Result<std::vector<std::uint8_t>> DrawPagePng(CanvasHandle canvas, const PageDate& date,
                                              const DayPageContent& content = {});

// SavePageFile saves `file`, the encoded page for `date` (or why it could
// not be encoded), as WriteDayPage names it.
PageOutcome SavePageFile(const PageDate& date, const std::filesystem::path& folder,
                         PageFormat format, const Result<std::vector<std::uint8_t>>& file);

}  // namespace trevalda
