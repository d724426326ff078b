#include "canvas/pdf_document.h"

#include <vector>

#include "canvas/engine_internal.h"
#include "canvas/surface.h"

namespace trevalda {

PdfDocument::PdfDocument(std::int32_t width, std::int32_t height)
    : width_(width), height_(height) {}

PdfDocument::~PdfDocument() { ReleaseCanvas(canvas_); }

bool PdfDocument::Open() {
  if (canvas_ != 0) return true;
  canvas_ = canvas::AdoptSurface(canvas::MakePdfSurface(width_, height_));
  return canvas_ != 0;
}

bool PdfDocument::EndPage() {
  bool ended = false;
  canvas::WithCanvas(canvas_, [&](canvas::CanvasRecord& record) {
    auto* document = dynamic_cast<canvas::DocumentSurface*>(record.surface.get());
    ended = document != nullptr && document->EndPage();
  });
  if (ended) ++pages_;
  return ended;
}

SaveResult PdfDocument::Save(const std::filesystem::path& file,
                             const canvas::DocumentLayout& layout) {
  if (file.empty() || canvas_ == 0) return SaveResult::NothingToSave(file);
  std::vector<std::uint8_t> bytes;
  bool finished = false;
  canvas::WithCanvas(canvas_, [&](canvas::CanvasRecord& record) {
    auto* document = dynamic_cast<canvas::DocumentSurface*>(record.surface.get());
    finished = document != nullptr && document->Finish(layout, bytes);
  });
  ReleaseCanvas(canvas_);
  canvas_ = 0;
  if (!finished) {
    return SaveResult::Refused(file, "componer", std::make_error_code(std::errc::io_error));
  }
  return SaveFileBytes(file, bytes);
}

}  // namespace trevalda
