// A print-ready PDF document drawn with the canvas engine: every page is a
// canvas of the page's pixel size, kept as vectors and text with its fonts
// embedded; a layout (canvas/document_layout.h) places the pages on the
// document's sheets and adds links, an outline, page labels and metadata.
// The same portable writer serves every platform; only the font files come
// from the platform.
//
// The document is built in memory and reaches the disk only in Save, the
// same safe way as the page files: a temporary file in the same folder,
// flushed and renamed over the target. A document that is never saved
// leaves nothing behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "canvas/safe_save.h"
#include "canvas/canvas.h"
#include "canvas/document_layout.h"

namespace trevalda {

class PdfDocument {
 public:
  // A document whose pages take canvases of width x height pixels.
  PdfDocument(std::int32_t width, std::int32_t height);
  ~PdfDocument();  // releases the canvas; writes nothing
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  // Makes the canvas of the first page. False when it cannot be made.
  bool Open();

  // The canvas the current page is drawn on (0 before Open); attach it with
  // AttachCanvas like any other.
  CanvasHandle Canvas() const { return canvas_; }

  // Ends the current page; drawing then goes on a new one. False when the
  // document has failed.
  bool EndPage();

  // Finishes the document with `layout` (default: one A4 sheet per page at
  // 96 dots per inch; a page still being drawn is dropped) and writes it to
  // `file`. The document cannot be used afterwards. Fails ("componer") when
  // the layout names a page that was not ended.
  SaveResult Save(const std::filesystem::path& file, const canvas::DocumentLayout& layout = {});

  // Pages ended so far.
  std::int32_t PageCount() const { return pages_; }

 private:
  std::int32_t width_;
  std::int32_t height_;
  CanvasHandle canvas_ = 0;
  std::int32_t pages_ = 0;
};

}  // namespace trevalda
