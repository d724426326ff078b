// The page command shared by both front ends: from the text of a date to a
// saved page.
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
#include "calendar/calendar.h"
#include "canvas/bitmap_file.h"
#include "canvas/canvas.h"
#include "page/day_page.h"

namespace trevalda {

// The date text with every "\" and "/" turned into "-", then every space
// (code 32) removed. Other characters stay: "07.12.2026" comes back as is.
std::string MakeFileStem(std::string_view text);

// The number at the start of `piece`: blanks (space, tab, CR, LF) skipped,
// an optional sign, decimal digits with an optional fraction and an
// exponent (E, e, D or d, an optional sign and up to four digits); or "&"
// followed by B (base 2), H (16), O or Q (8) or nothing (8) and the digits
// of that base. Reading stops at the first character that cannot continue
// the number. A piece without a number gives 0.
double ReadLeadingNumber(std::string_view piece);

// ReadLeadingNumber rounded to the nearest integer (halves to even) as a
// signed 16-bit value; 0 when the value does not fit.
std::int16_t ReadLeadingInt16(std::string_view piece);

// The page date cut from a stem at fixed positions: the day from characters
// 1-2, the month from 4-5, the year from the last four (counting from 1;
// pieces are cut as far as the stem reaches).
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

// Reads a date text as the page command does: the stem and the date cut
// from it. Returns false, with a Spanish message (UTF-8, the date text shown
// with ShownText) in `why`,
// when the stem does not have the layout dd?mm?yyyy (two digits, a
// separator, two digits, a separator, four digits), when the date is not a
// real calendar day of the years 1 to 9999, or when the stem cannot serve as
// a file name.
bool ReadDateText(std::string_view dateText, std::string& stem, PageDate& date, std::string& why);

// What the pages carry beyond the classic page: the agenda's entries and
// the week rule. The default adds nothing.
struct AgendaOptions {
  const Agenda* agenda = nullptr;  // holidays and the user's dates; must outlive the pages
  WeekRule week = WeekRule::kDiary;
};

// The page content for `date`: its agenda entries (none without an agenda)
// and the week rule.
DayPageContent PageContentFor(const AgendaOptions& options, const PageDate& date);

// For a page just drawn under the name in `outcome`: when a text of it did
// not show as written (TakeTextProblem, canvas/text.h: no usable font, a
// character the font lacks), marks `outcome` not saved with the reason and
// returns true; the page must not be saved.
bool RefuseUnwrittenTexts(PageOutcome& outcome);

// Turns `dateText` into a stem and a date, checks the date, draws the page
// (a page whose texts did not show is not saved: RefuseUnwrittenTexts)
// (with what `agenda` adds) and saves it as <folder>/<stem>.bmp (or .png;
// the current folder when `folder` is empty). Initialises the command first
// if needed. Safe to call many times, also from several threads; each call
// stands alone.
PageOutcome CreatePage(std::string_view dateText, const std::filesystem::path& folder = {},
                       PageFormat format = PageFormat::kBmp, const AgendaOptions& agenda = {});

// The parts of CreatePage, for many pages at once, each canvas drawn on by
// one thread at a time (the calling thread attaches it):
// SaveDrawnPage saves the page already drawn on `canvas` (PreparePage and
// DrawDayPage) under the name CreatePage gives `dateText`, its rows written
// straight from the canvas.
PageOutcome SaveDrawnPage(CanvasHandle canvas, std::string_view dateText,
                          const std::filesystem::path& folder, PageFormat format);

// DrawPagePng draws the page for `date` with `content` on `canvas` (a
// page-sized canvas) and returns its PNG file; empty when it could not be
// encoded.
std::vector<std::uint8_t> DrawPagePng(CanvasHandle canvas, const PageDate& date,
                                      const DayPageContent& content = {});

// SavePageFile names the page as CreatePage does and saves `file`, the
// bytes of an encoded page (empty: the page could not be encoded).
PageOutcome SavePageFile(std::string_view dateText, const std::filesystem::path& folder,
                         PageFormat format, std::span<const std::uint8_t> file);

}  // namespace trevalda
