// What the engine's source files share: the canvas record, the locks and the
// lookup of the calling thread's attached canvas. Not part of the public
// interface.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "canvas/canvas.h"
#include "canvas/surface.h"

namespace trevalda::canvas {

// One canvas. Every field is read and written only with its lock held.
struct CanvasRecord {
  std::mutex lock;  // held by every operation on the canvas, from its start to its end
  CanvasHandle handle = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t x = 0;  // current position
  std::int32_t y = 0;
  Color foreColor = kWindowTextColor;  // always 0x00BBGGRR
  Color backColor = kButtonFaceColor;  // 0x00BBGGRR or kTransparent
  std::int32_t penWidth = 0;
  std::int32_t fontNumber = 0;
  std::shared_ptr<const PlatformFont> font;  // of fontNumber; null until one was made
  bool fontRotated = false;
  FontMetrics metrics;
  std::unique_ptr<Surface> surface;
};

// The calling thread's attached canvas, or nullptr. The record stays valid
// while the pointer is held, even if the canvas is released meanwhile.
std::shared_ptr<CanvasRecord> FindAttachedCanvas();

// Runs `fn(record)` on the calling thread's attached canvas with its lock
// held. Returns false (and runs nothing) when no canvas is attached.
// Different canvases are drawn on from several threads at once.
template <typename Fn>
bool WithAttachedCanvas(Fn&& fn) {
  const std::shared_ptr<CanvasRecord> record = FindAttachedCanvas();
  if (record == nullptr) {
    return false;
  }
  std::lock_guard<std::mutex> lock(record->lock);
  fn(*record);
  return true;
}

// Registers a canvas drawn on `surface` (a raster, or a document page) and
// returns its handle; 0 when `surface` is null. Font 1 is selected on it as
// on every new canvas.
CanvasHandle AdoptSurface(std::unique_ptr<Surface> surface);

// Runs `fn(record)` on the canvas named `handle` with its lock held.
// Returns false (and runs nothing) when no such canvas exists.
bool WithCanvas(CanvasHandle handle, const std::function<void(CanvasRecord&)>& fn);

// Records an error code for the calling thread (read by TakeCanvasError).
void RecordCanvasError(int code);

// Records why a text did not show as written (Spanish, UTF-8), unless an
// earlier reason waits to be read (TakeTextProblem, text.h).
void RecordTextProblem(const std::string& reason);

// Nearest integer, halves to the even neighbour, saturated to the 32-bit
// range; NaN gives 0. Independent of the floating-point rounding mode.
std::int32_t RoundHalfEven(double value);

// Adds with saturation to the 32-bit range.
std::int32_t SaturatingAdd(std::int32_t a, std::int64_t b);

// Selects font `number` (0 means 1) on `record` and reads its metrics into
// it. `newCanvas` gives font 1 the truncated height when it has no platform
// font yet. The caller holds the record's lock, or owns a record that no
// other thread can see yet. Defined with the font table.
void SelectCanvasFont(CanvasRecord& record, std::int32_t number, bool newCanvas);

}  // namespace trevalda::canvas
