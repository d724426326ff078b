// Many pages at once: every day from one date to another, as one file per
// day (BMP or PNG) or as one print-ready PDF document with an A4 sheet per
// day.
//
// Dates are checked before anything is written. A failure stops the range at
// the date it happened: the files already completed stay, nothing
// half-written remains (each file is written to a temporary name and renamed
// into place; the PDF only once the whole document is complete). Both start
// by removing the temporary files that killed runs left in the folder more
// than an hour ago (RemoveStaleTemporaryFiles).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "app/create_page.h"
#include "app/imposition.h"
#include "calendar/calendar.h"

namespace trevalda {

// The longest range: ten years of pages.
inline constexpr std::int32_t kMaxRangeDays = 3653;

// The PDF's default name: agenda-YYYY.pdf for a whole year, else
// <first stem>_<last stem>.pdf, or <stem>.pdf for a single day.
std::string DefaultPdfName(const DateRange& range);

// Told after each page; returning false stops the range before the next
// page (as Ctrl-C does).
using RangeProgress = std::function<bool(std::int32_t done, std::int32_t total)>;

enum class RangeStatus {
  kDone,     // every page was written
  kFailed,   // a page or the document could not be written; see `message`
  kStopped,  // the progress callback asked to stop
};

struct RangeOutcome {
  RangeStatus status = RangeStatus::kFailed;
  std::int32_t pagesDone = 0;      // pages completed (files written, or PDF sheets drawn)
  std::int32_t documentPages = 0;  // the PDF's pages (sheet sides), once it is saved
  std::filesystem::path document;  // the PDF file, for the PDF form
  std::string message;             // Spanish, UTF-8 (as PageOutcome's), when not kDone
};

// One file per day, <folder>/<stem>.bmp or .png. The pages are drawn and
// encoded on every processor at once (one canvas per worker) and saved here
// one by one, in date order; `progress` is told after each save, on the
// calling thread. A stop keeps the pages saved so far and drops the ones in
// the making.
// `agenda` adds its entries and week rule to every page (see CreatePage).
RangeOutcome CreatePageFiles(const DateRange& range, const std::filesystem::path& folder,
                             PageFormat format, const RangeProgress& progress = {},
                             const AgendaOptions& agenda = {});

// One PDF document: an A4 sheet (210 x 297 mm) per day, vector lines and real
// text with embedded fonts, the page's pixels mapped to the sheet at 96 dots
// per inch. A range of more than one day starts with index sheets and
// carries links, an outline by month, page labels and metadata
// (app/yearbook_layout.h). `sheets` chooses the paper, the binding margin
// or the booklet (app/imposition.h). Progress counts the day pages.
// `agenda` adds its entries and week rule to every day page.
RangeOutcome CreateYearbookPdf(const DateRange& range, const std::filesystem::path& file,
                               const SheetOptions& sheets = {}, const RangeProgress& progress = {},
                               const AgendaOptions& agenda = {});

}  // namespace trevalda
