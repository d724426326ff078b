// Canvases, the attached canvas of each thread, drawing state, colours and
// lines. Pixels are left to the Surface backend; everything here is the same
// on every platform.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/engine_internal.h"
#include "canvas/surface.h"
#include "canvas/test_hooks.h"

namespace trevalda {
namespace canvas {
namespace {

constexpr int kMaxDrawAttempts = 10;
constexpr std::chrono::milliseconds kRetryPause{2};
constexpr std::int32_t kHatchStyles = 6;

// Process-wide state. Made on first use and never destroyed, so that threads
// still running while the process exits never see it half torn down.
struct EngineState {
  std::mutex listLock;  // held only to look a canvas up, never while drawing
  std::vector<std::shared_ptr<CanvasRecord>> canvases;  // guarded by listLock
  CanvasHandle lastHandle = 0;                          // guarded by listLock
  std::mutex factoryLock;
  SurfaceFactory factoryForTesting;  // guarded by factoryLock
};

EngineState& State() {
  static EngineState& state = *new EngineState;
  return state;
}

thread_local CanvasHandle attachedHandle = 0;
thread_local int lastError = 0;

// Handles are spaced 16 apart from 0x10000 so that small numbers (font
// numbers, counts) mistaken for handles never name a canvas.
constexpr CanvasHandle kFirstHandle = 0x10000;
constexpr CanvasHandle kHandleStep = 16;

std::shared_ptr<CanvasRecord> Find(CanvasHandle handle) {
  if (handle == 0) {
    return nullptr;
  }
  EngineState& state = State();
  std::lock_guard<std::mutex> list(state.listLock);
  for (const auto& record : state.canvases) {
    if (record->handle == handle) {
      return record;
    }
  }
  return nullptr;
}

bool CanvasExists(CanvasHandle handle) { return Find(handle) != nullptr; }

std::unique_ptr<Surface> MakeSurface(std::int32_t width, std::int32_t height) {
  EngineState& state = State();
  SurfaceFactory factory;
  {
    std::lock_guard<std::mutex> lock(state.factoryLock);
    factory = state.factoryForTesting;
  }
  return factory ? factory(width, height) : MakeRasterSurface(width, height);
}

// Runs a fill or line until it succeeds: at most kMaxDrawAttempts tries with
// a short pause after each failed one but the last. Gives up silently.
template <typename Draw>
void DrawWithRetries(Draw&& draw) {
  for (int attempt = 1; attempt <= kMaxDrawAttempts; ++attempt) {
    if (draw()) {
      return;
    }
    if (attempt < kMaxDrawAttempts) {
      std::this_thread::sleep_for(kRetryPause);
    }
  }
}

Color Mask24(Color color) { return color & 0x00FFFFFF; }

FillPattern PatternForStyle(std::int32_t style) {
  switch (style) {
    case 1:
      return FillPattern::kHorizontal;
    case 2:
      return FillPattern::kVertical;
    case 3:
      return FillPattern::kForwardDiagonal;
    case 4:
      return FillPattern::kBackwardDiagonal;
    case 5:
      return FillPattern::kCross;
    case 6:
      return FillPattern::kDiagonalCross;
    default:
      return FillPattern::kSolid;
  }
}

}  // namespace

std::shared_ptr<CanvasRecord> FindAttachedCanvas() { return Find(attachedHandle); }

void RecordCanvasError(int code) { lastError = code; }

std::int32_t RoundHalfEven(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  if (value <= kMin) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (value >= kMax) {
    return std::numeric_limits<std::int32_t>::max();
  }
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
    whole += 1.0;
  }
  return static_cast<std::int32_t>(whole);
}

std::int32_t SaturatingAdd(std::int32_t a, std::int64_t b) {
  const std::int64_t sum = static_cast<std::int64_t>(a) + b;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void SetSurfaceFactoryForTesting(SurfaceFactory factory) {
  EngineState& state = State();
  std::lock_guard<std::mutex> lock(state.factoryLock);
  state.factoryForTesting = std::move(factory);
}

CanvasHandle AdoptSurface(std::unique_ptr<Surface> surface) {
  if (surface == nullptr) {
    return 0;
  }
  auto record = std::make_shared<CanvasRecord>();
  record->width = surface->Width();
  record->height = surface->Height();
  record->surface = std::move(surface);
  // Font 1 is selected before the canvas is visible to any other thread, so
  // no canvas lock is needed.
  SelectCanvasFont(*record, 1, /*newCanvas=*/true);

  EngineState& state = State();
  std::lock_guard<std::mutex> list(state.listLock);
  state.lastHandle = state.lastHandle == 0 ? kFirstHandle : state.lastHandle + kHandleStep;
  record->handle = state.lastHandle;
  state.canvases.push_back(std::move(record));
  return state.lastHandle;
}

bool WithCanvas(CanvasHandle handle, const std::function<void(CanvasRecord&)>& fn) {
  const std::shared_ptr<CanvasRecord> record = Find(handle);
  if (record == nullptr) {
    return false;
  }
  std::lock_guard<std::mutex> lock(record->lock);
  fn(*record);
  return true;
}

}  // namespace canvas

using canvas::CanvasRecord;
using canvas::WithAttachedCanvas;

CanvasHandle CreateCanvas(std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) {
    return 0;
  }
  return canvas::AdoptSurface(canvas::MakeSurface(width, height));
}

void ReleaseCanvas(CanvasHandle handle) {
  std::shared_ptr<CanvasRecord> released;
  {
    canvas::EngineState& state = canvas::State();
    std::lock_guard<std::mutex> list(state.listLock);
    auto it = std::find_if(state.canvases.begin(), state.canvases.end(),
                           [handle](const auto& record) { return record->handle == handle; });
    if (it == state.canvases.end()) {
      return;
    }
    released = std::move(*it);
    state.canvases.erase(it);
  }
  // The raster is freed outside the list lock, once no operation that
  // started before the release still uses it.
}

void AttachCanvas(CanvasHandle handle, std::int32_t /*controlId*/, std::int32_t /*redraw*/) {
  canvas::attachedHandle = 0;
  if (!canvas::CanvasExists(handle)) {
    canvas::RecordCanvasError(kErrorInvalidHandle);
    return;
  }
  canvas::attachedHandle = handle;
}

void ClearCanvas(Color color, std::int32_t style) {
  WithAttachedCanvas([&](CanvasRecord& c) {
    const Color resolved = color == kDefaultColor ? c.backColor : color;
    if (resolved != kTransparent) {
      const auto rgb = static_cast<canvas::Rgb>(canvas::Mask24(resolved));
      const canvas::FillPattern pattern = style > canvas::kHatchStyles
                                              ? canvas::FillPattern::kSolid
                                              : canvas::PatternForStyle(style);
      canvas::DrawWithRetries([&] { return c.surface->Fill(rgb, pattern); });
    }
    c.x = 0;
    c.y = 0;
  });
}

void SetPenWidth(std::int32_t width) {
  WithAttachedCanvas([&](CanvasRecord& c) { c.penWidth = width; });
}

void SetForeColor(Color color) {
  WithAttachedCanvas([&](CanvasRecord& c) {
    if (color == kUnchanged) {
      return;
    }
    c.foreColor = color == kDefaultColor ? kWindowTextColor : canvas::Mask24(color);
  });
}

void SetBackColor(Color color) {
  WithAttachedCanvas([&](CanvasRecord& c) {
    switch (color) {
      case kUnchanged:
        return;
      case kTransparent:
        c.backColor = kTransparent;
        return;
      case kDefaultColor:
        c.backColor = kButtonFaceColor;
        return;
      default:
        c.backColor = canvas::Mask24(color);
        return;
    }
  });
}

Color MakeColor(std::int32_t red, std::int32_t green, std::int32_t blue) {
  const auto clamp = [](std::int32_t v) { return std::clamp<std::int32_t>(v, 0, 255); };
  return clamp(blue) * 65536 + clamp(green) * 256 + clamp(red);
}

void SetPosition(double x, double y) {
  WithAttachedCanvas([&](CanvasRecord& c) {
    c.x = canvas::RoundHalfEven(x);
    c.y = canvas::RoundHalfEven(y);
  });
}

void DrawLineTo(double x, double y, Color color) {
  WithAttachedCanvas([&](CanvasRecord& c) {
    const std::int32_t x0 = c.x;
    const std::int32_t y0 = c.y;
    c.x = canvas::RoundHalfEven(x);
    c.y = canvas::RoundHalfEven(y);
    const Color resolved = color == kDefaultColor ? c.foreColor : canvas::Mask24(color);
    const auto rgb = static_cast<canvas::Rgb>(resolved);
    canvas::DrawWithRetries(
        [&] { return c.surface->StrokeLine(x0, y0, c.x, c.y, c.penWidth, rgb); });
  });
}

int TakeCanvasError() { return std::exchange(canvas::lastError, 0); }

bool ReadCanvasState(CanvasState& out) {
  return WithAttachedCanvas([&](const CanvasRecord& c) {
    out.width = c.width;
    out.height = c.height;
    out.x = c.x;
    out.y = c.y;
    out.foreColor = c.foreColor;
    out.backColor = c.backColor;
    out.penWidth = c.penWidth;
    out.fontNumber = c.fontNumber;
    out.lineHeight = c.metrics.lineHeight;
    out.externalLeading = c.metrics.externalLeading;
    out.averageCharWidth = c.metrics.averageCharWidth;
  });
}

Color ReadCanvasPixel(std::int32_t x, std::int32_t y) {
  Color pixel = -1;
  WithAttachedCanvas([&](const CanvasRecord& c) {
    if (x >= 0 && y >= 0 && x < c.width && y < c.height) {
      pixel = static_cast<Color>(c.surface->Pixel(x, y));
    }
  });
  return pixel;
}

}  // namespace trevalda
