// A print-ready PDF document drawn with the canvas engine: every sheet is a
// canvas of the page's pixel size whose coordinates map to an A4 sheet
// (210 x 297 mm) at 96 dots per inch. Lines stay vectors and texts stay
// text, with their fonts embedded.
//
// The document is built in memory and reaches the disk only in Save, the
// same safe way as the page files: a temporary file in the same folder,
// flushed and renamed over the target. A document that is never saved
// leaves nothing behind. Where the platform has no PDF backend, Open fails.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "canvas/bitmap_file.h"
#include "canvas/canvas.h"

namespace trevalda {

// A4 in PostScript points.
inline constexpr double kA4WidthPoints = 210.0 / 25.4 * 72.0;
inline constexpr double kA4HeightPoints = 297.0 / 25.4 * 72.0;

class PdfDocument {
 public:
  // A document whose sheets take canvases of width x height pixels.
  PdfDocument(std::int32_t width, std::int32_t height);
  ~PdfDocument();  // releases the canvas; writes nothing
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  // Makes the canvas of the first sheet. False when the platform cannot.
  bool Open();

  // The canvas the current sheet is drawn on (0 before Open); attach it with
  // AttachCanvas like any other.
  CanvasHandle Canvas() const { return canvas_; }

  // Ends the current sheet; drawing then goes on a new one. False when the
  // document has failed.
  bool EndPage();

  // Finishes the document (a sheet still being drawn is dropped when nothing
  // was drawn on it since the last EndPage) and writes it to `file`. The
  // document cannot be used afterwards.
  SaveResult Save(const std::filesystem::path& file);

  // Sheets ended so far.
  std::int32_t PageCount() const { return pages_; }

 private:
  std::int32_t width_;
  std::int32_t height_;
  CanvasHandle canvas_ = 0;
  std::int32_t pages_ = 0;
};

}  // namespace trevalda
