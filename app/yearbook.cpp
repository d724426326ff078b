#include "app/yearbook.h"

#include <cstdio>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "app/ordered_work.h"
#include "app/planner.h"
#include "app/yearbook_layout.h"
#include "canvas/pdf_document.h"
#include "canvas/text.h"
#include "page/day_page.h"
#include "text/error_text.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

std::string ReasonOf(const SaveResult& save) {
  if (!save.error) return {};
  return " (" + save.step + "): " + ErrorText(save.error);
}

// Page canvases for the workers of a range: made up front, lent out one at
// a time, released together.
class CanvasPool {
 public:
  explicit CanvasPool(unsigned size) {
    for (unsigned i = 0; i < size; ++i) {
      const CanvasHandle canvas = CreateCanvas(PageCanvasWidth(), PageCanvasHeight());
      if (canvas != 0) {
        all_.push_back(canvas);
        free_.push_back(canvas);
      }
    }
  }
  ~CanvasPool() {
    for (const CanvasHandle canvas : all_) ReleaseCanvas(canvas);
  }
  CanvasPool(const CanvasPool&) = delete;
  CanvasPool& operator=(const CanvasPool&) = delete;

  // A canvas nobody draws on; 0 when none could be made.
  CanvasHandle Take() {
    std::lock_guard<std::mutex> guard(lock_);
    if (free_.empty()) return 0;
    const CanvasHandle canvas = free_.back();
    free_.pop_back();
    return canvas;
  }

  void Give(CanvasHandle canvas) {
    if (canvas == 0) return;
    std::lock_guard<std::mutex> guard(lock_);
    free_.push_back(canvas);
  }

 private:
  std::mutex lock_;
  std::vector<CanvasHandle> all_;
  std::vector<CanvasHandle> free_;
};

}  // namespace

std::string DefaultPdfName(const DateRange& range) {
  const DateRange year = YearRange(range.first.year);
  if (range.first == year.first && range.last == year.last) {
    char name[32];
    std::snprintf(name, sizeof name, "agenda-%04d.pdf", range.first.year);
    return name;
  }
  if (range.first == range.last) return DateStem(range.first) + ".pdf";
  return DateStem(range.first) + "_" + DateStem(range.last) + ".pdf";
}

RangeOutcome CreatePageFiles(const DateRange& range, const std::filesystem::path& folder,
                             PageFormat format, const RangeProgress& progress,
                             const AgendaOptions& agenda) {
  RangeOutcome outcome;
  const std::int32_t total = RangeLength(range);
  const std::int32_t first = DaySerial(range.first);
  // Many pages wait for the disk once, at the end, rather than after each.
  const bool batched = total > 1;
  RemoveStaleTemporaryFiles(folder);
  BatchDiskFlushes(batched);
  (void)TakeTextProblem();  // only this range's texts count
  // Stops the range after page `date` unless it was saved and the caller
  // wants more.
  const auto carryOn = [&](const PageDate& date, const PageOutcome& page) {
    if (page.status != PageStatus::kSaved) {
      outcome.message =
          total == 1 ? page.message : "se detiene en el " + DateText(date) + ": " + page.message;
      return false;
    }
    ++outcome.pagesDone;
    if (progress && !progress(outcome.pagesDone, total) && outcome.pagesDone < total) {
      outcome.status = RangeStatus::kStopped;
      return false;
    }
    return true;
  };
  if (total == 1) {
    carryOn(range.first, WriteDayPage(range.first, folder, format, agenda));
  } else if (total > 1) {
    // Workers draw the pages (and encode the PNG files) on canvases from a
    // pool; the pages are saved here, one by one, in date order. A BMP page
    // travels as its canvas and is written straight from it.
    InitializeTables();
    const unsigned workers = WorkersFor(total);
    CanvasPool pool(3 * workers);  // enough for every page in the making or waiting
    struct DrawnPage {
      CanvasHandle canvas = 0;  // a drawn BMP page, back to the pool once saved
      Result<std::vector<std::uint8_t>> file = std::vector<std::uint8_t>();  // a PNG page
      bool outOfMemory = false;  // the page's content could not be made
    };
    MakeInParallelUseInOrder<DrawnPage>(
        total, workers,
        [&](std::int32_t i, unsigned) {
          DrawnPage page;
          const PageDate date = DateFromSerial(first + i);
          const CanvasHandle canvas = pool.Take();
          try {
            const DayPageContent content = PageContentFor(agenda, date);
            if (format == PageFormat::kPng) {
              page.file = DrawPagePng(canvas, date, content);
              pool.Give(canvas);
            } else if (Result<> drawn = DrawPageOnCanvas(canvas, date, content); drawn) {
              page.canvas = canvas;
            } else {
              page.file = drawn.failure();
              pool.Give(canvas);
            }
          } catch (const std::bad_alloc&) {
            page = DrawnPage{};
            page.outOfMemory = true;
            pool.Give(canvas);
          }
          return page;
        },
        [&](std::int32_t i, DrawnPage& page) {
          const PageDate date = DateFromSerial(first + i);
          PageOutcome saved;
          if (page.outOfMemory) {
            saved.status = PageStatus::kNotSaved;
            saved.message = "no hay memoria suficiente para hacer la hoja";
          } else if (const std::string problem = TakeTextProblem(); !problem.empty()) {
            // Fonts serve every page alike: the first page drawn shows it.
            saved.status = PageStatus::kNotSaved;
            saved.message = "no se pudo grabar la hoja: " + problem;
            pool.Give(page.canvas);
          } else if (page.canvas != 0) {
            saved = SaveDrawnPage(page.canvas, date, folder, format);
            pool.Give(page.canvas);
          } else {
            saved = SavePageFile(date, folder, format, page.file);
          }
          return carryOn(date, saved);
        });
  }
  if (batched) {
    BatchDiskFlushes(false);
    const std::error_code flushed = FlushSavedFiles(folder);
    if (flushed && outcome.message.empty()) {
      outcome.status = RangeStatus::kFailed;
      outcome.message = "no se pudieron llevar las hojas al disco: " + ErrorText(flushed);
      return outcome;
    }
  }
  if (outcome.message.empty() && outcome.status != RangeStatus::kStopped) {
    outcome.status = RangeStatus::kDone;
  }
  return outcome;
}

RangeOutcome CreateYearbookPdf(const DateRange& range, const std::filesystem::path& file,
                               const SheetOptions& sheets, const RangeProgress& progress,
                               const AgendaOptions& agenda, const PlannerOptions& planner) {
  if (planner.Any()) return CreatePlannerPdf(range, file, sheets, progress, agenda, planner);
  RangeOutcome outcome;
  outcome.document = file;
  const std::int32_t total = RangeLength(range);
  InitializeTables();
  RemoveStaleTemporaryFiles(file.parent_path());
  (void)TakeTextProblem();  // only this document's texts count
  PdfDocument document(kPageWidth, kPageHeight);
  if (!document.Open()) {
    outcome.message = "no se pudo empezar el documento " + ShownPath(file);
    return outcome;
  }
  std::vector<canvas::PageLink> indexLinks;
  for (std::int32_t sheet = 0; sheet < IndexSheetCount(range); ++sheet) {
    const std::vector<canvas::PageLink> links =
        DrawIndexSheet(document.Canvas(), range, sheet, IndexMarksFor(agenda));
    indexLinks.insert(indexLinks.end(), links.begin(), links.end());
    if (const std::string problem = TakeTextProblem(); !problem.empty()) {
      outcome.message = "no se pudo grabar " + ShownPath(file) + ": " + problem;
      return outcome;
    }
    if (!document.EndPage()) {
      outcome.message = "no se pudo dibujar el índice en el documento " + ShownPath(file);
      return outcome;
    }
  }
  const std::int32_t first = DaySerial(range.first);
  for (std::int32_t i = 0; i < total; ++i) {
    const PageDate date = DateFromSerial(first + i);
    const Result<> drawn = DrawPageOnCanvas(document.Canvas(), date, PageContentFor(agenda, date));
    if (const std::string problem = TakeTextProblem(); !problem.empty()) {
      outcome.message = "no se pudo grabar " + ShownPath(file) + ": " + problem;
      return outcome;
    }
    if (!drawn || !document.EndPage()) {
      outcome.message = "se detiene en el " + DateText(date) +
                        ": no se pudo dibujar la hoja en el documento " + ShownPath(file);
      return outcome;
    }
    ++outcome.pagesDone;
    if (progress && !progress(outcome.pagesDone, total) && outcome.pagesDone < total) {
      outcome.status = RangeStatus::kStopped;
      return outcome;
    }
  }
  canvas::DocumentLayout layout =
      MakeYearbookLayout(range, std::move(indexLinks), sheets, CreationTime(), agenda.style);
  outcome.documentPages = static_cast<std::int32_t>(layout.sheets.size());
  const SaveResult save = document.Save(file, layout);
  if (!save.Saved()) {
    outcome.message = "no se pudo grabar " + ShownPath(file) + ReasonOf(save);
    return outcome;
  }
  outcome.status = RangeStatus::kDone;
  return outcome;
}

}  // namespace trevalda
