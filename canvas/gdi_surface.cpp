// The raster backend on Win32 GDI.
//
// A raster is a memory drawing context compatible with the screen with a
// bitmap of the screen's format selected into it (CreateCompatibleDC and
// CreateCompatibleBitmap); a screen of fewer than 24 bits per pixel gets a
// 32-bit device-independent bitmap instead, so that every colour is kept
// exactly. Fills are FillRect with a solid or hatch brush, lines are pens and
// LineTo, fonts are CreateFontIndirectW with metrics from GetTextMetricsW,
// text is ExtTextOutW clipped to the run's rectangle, and the 24-bit copy is
// one BitBlt into a bottom-up 24-bit DIB section.
//
// GDI's own rules give what the surface promises: a thin pen covers the
// start pixel and stops before the end pixel, a wider solid pen is a centred
// stroke with round ends, and nothing is antialiased but text (which follows
// the system's font smoothing).
#include "canvas/gdi_font.h"
#include "canvas/line_geometry.h"
#include "canvas/surface.h"

#include "text/wide_text.h"
#include "text/windows_api.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace trevalda::canvas {
namespace {

constexpr int kHatchSize = 8;
constexpr int kFaceNameLimit = LF_FACESIZE - 1;  // 31 UTF-16 units and the terminator
// GDI keeps coordinates exact well inside this bound on every Windows
// version; thin lines with ends beyond it are walked here instead.
constexpr std::int64_t kSafeCoordinate = std::int64_t{1} << 26;

COLORREF ToColorRef(Rgb color) { return static_cast<COLORREF>(color & 0x00FFFFFFu); }

// Selects an object into a context for the life of the guard.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) {
      SelectObject(dc_, previous_);
    }
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  bool Ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Deletes a GDI object (pen, brush, bitmap) at the end of a scope.
class ObjectGuard {
 public:
  explicit ObjectGuard(HGDIOBJ object) : object_(object) {}
  ~ObjectGuard() {
    if (object_ != nullptr) {
      DeleteObject(object_);
    }
  }
  ObjectGuard(const ObjectGuard&) = delete;
  ObjectGuard& operator=(const ObjectGuard&) = delete;
  HGDIOBJ Get() const { return object_; }

 private:
  HGDIOBJ object_;
};

class DcGuard {
 public:
  explicit DcGuard(HDC dc) : dc_(dc) {}
  ~DcGuard() {
    if (dc_ != nullptr) {
      DeleteDC(dc_);
    }
  }
  DcGuard(const DcGuard&) = delete;
  DcGuard& operator=(const DcGuard&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// ---------------------------------------------------------------------------
// Hatches

int HatchStyle(FillPattern pattern) {
  switch (pattern) {
    case FillPattern::kHorizontal:
      return HS_HORIZONTAL;
    case FillPattern::kVertical:
      return HS_VERTICAL;
    case FillPattern::kForwardDiagonal:
      return HS_FDIAGONAL;
    case FillPattern::kBackwardDiagonal:
      return HS_BDIAGONAL;
    case FillPattern::kCross:
      return HS_CROSS;
    case FillPattern::kDiagonalCross:
      return HS_DIAGCROSS;
    case FillPattern::kSolid:
      break;
  }
  return HS_HORIZONTAL;
}

// The platform's hatch bitmaps put their lines where the platform likes
// (Wine draws the horizontal hatch on row 3, for example). The brush origin
// that moves them onto the surface's grid is found once per pattern by
// painting the hatch on a small probe raster and comparing it with OnHatch.
POINT FindHatchOrigin(FillPattern pattern) {
  POINT origin{0, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) {
    return origin;
  }
  DcGuard dcGuard(dc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kHatchSize;
  info.bmiHeader.biHeight = -kHatchSize;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ObjectGuard bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap.Get() == nullptr || bits == nullptr) {
    return origin;
  }
  Selection selectBitmap(dc, bitmap.Get());
  ObjectGuard white(CreateSolidBrush(RGB(255, 255, 255)));
  ObjectGuard hatch(CreateHatchBrush(HatchStyle(pattern), RGB(0, 0, 0)));
  if (!selectBitmap.Ok() || white.Get() == nullptr || hatch.Get() == nullptr) {
    return origin;
  }
  RECT cell{0, 0, kHatchSize, kHatchSize};
  FillRect(dc, &cell, static_cast<HBRUSH>(white.Get()));
  SetBkMode(dc, TRANSPARENT);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  FillRect(dc, &cell, static_cast<HBRUSH>(hatch.Get()));
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  std::array<std::array<bool, kHatchSize>, kHatchSize> drawn{};
  for (int y = 0; y < kHatchSize; ++y) {
    for (int x = 0; x < kHatchSize; ++x) {
      drawn[y][x] = (pixels[y * kHatchSize + x] & 0x00FFFFFFu) == 0;
    }
  }
  // With the brush origin at (ox, oy), pixel (x, y) shows pattern pixel
  // (x - ox, y - oy).
  for (int oy = 0; oy < kHatchSize; ++oy) {
    for (int ox = 0; ox < kHatchSize; ++ox) {
      bool same = true;
      for (int y = 0; y < kHatchSize && same; ++y) {
        for (int x = 0; x < kHatchSize && same; ++x) {
          same = drawn[(y - oy + kHatchSize) % kHatchSize][(x - ox + kHatchSize) % kHatchSize] ==
                 OnHatch(pattern, x, y);
        }
      }
      if (same) {
        return POINT{ox, oy};
      }
    }
  }
  return origin;
}

POINT HatchOrigin(FillPattern pattern) {
  static std::once_flag once;
  static std::array<POINT, 7> origins{};
  std::call_once(once, [] {
    for (FillPattern p :
         {FillPattern::kHorizontal, FillPattern::kVertical, FillPattern::kForwardDiagonal,
          FillPattern::kBackwardDiagonal, FillPattern::kCross, FillPattern::kDiagonalCross}) {
      origins[static_cast<std::size_t>(p)] = FindHatchOrigin(p);
    }
  });
  return origins[static_cast<std::size_t>(pattern)];
}

// ---------------------------------------------------------------------------
// Fonts

LOGFONTW ToLogFont(const FontDescription& d) {
  LOGFONTW lf{};
  lf.lfHeight = d.height;
  lf.lfWidth = d.width;
  lf.lfEscapement = d.escapement;
  lf.lfOrientation = d.orientation;
  lf.lfWeight = d.weight;
  lf.lfItalic = d.italic ? TRUE : FALSE;
  lf.lfUnderline = d.underline ? TRUE : FALSE;
  lf.lfStrikeOut = d.strikeOut ? TRUE : FALSE;
  lf.lfCharSet = d.charSet;
  lf.lfOutPrecision = d.outPrecision;
  lf.lfClipPrecision = d.clipPrecision;
  lf.lfQuality = d.quality;
  lf.lfPitchAndFamily = d.pitchAndFamily;
  const std::wstring face = Cp1252ToWide(d.face);
  const std::size_t length = std::min<std::size_t>(face.size(), kFaceNameLimit);
  std::copy_n(face.begin(), length, lf.lfFaceName);
  lf.lfFaceName[length] = L'\0';
  return lf;
}

// ---------------------------------------------------------------------------
// The surface

class GdiRaster final : public Surface {
 public:
  GdiRaster(HDC dc, HBITMAP bitmap, std::int32_t width, std::int32_t height)
      : dc_(dc), bitmap_(bitmap), width_(width), height_(height) {
    previousBitmap_ = SelectObject(dc_, bitmap_);
    previousFont_ = GetCurrentObject(dc_, OBJ_FONT);
    // Text is placed by its cell's top-left corner and moves the context's
    // current point, which DrawTextRun reads back as the advance.
    SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_UPDATECP);
  }
  ~GdiRaster() override {
    SelectObject(dc_, previousFont_);
    SelectObject(dc_, previousBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  GdiRaster(const GdiRaster&) = delete;
  GdiRaster& operator=(const GdiRaster&) = delete;

  bool Selected() const { return previousBitmap_ != nullptr && previousBitmap_ != HGDI_ERROR; }

  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }

  bool Fill(Rgb color, FillPattern pattern) override {
    const bool solid = pattern == FillPattern::kSolid;
    ObjectGuard brush(solid ? CreateSolidBrush(ToColorRef(color))
                            : CreateHatchBrush(HatchStyle(pattern), ToColorRef(color)));
    if (brush.Get() == nullptr) {
      return false;
    }
    if (!solid) {
      const POINT origin = HatchOrigin(pattern);
      SetBrushOrgEx(dc_, origin.x, origin.y, nullptr);
    }
    // Between the hatch lines the raster keeps what it held.
    const int previousMode = SetBkMode(dc_, TRANSPARENT);
    RECT all{0, 0, width_, height_};
    const bool filled = FillRect(dc_, &all, static_cast<HBRUSH>(brush.Get())) != 0;
    SetBkMode(dc_, previousMode);
    SetBrushOrgEx(dc_, 0, 0, nullptr);
    return filled;
  }

  bool StrokeLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                  std::int32_t width, Rgb color) override {
    if (width <= 1) {
      if (!IsSafe(x0) || !IsSafe(y0) || !IsSafe(x1) || !IsSafe(y1)) {
        FarThinLine(x0, y0, x1, y1, ToColorRef(color));
        return true;
      }
      return PenLine(x0, y0, x1, y1, 0, ToColorRef(color));
    }
    // A wide stroke: ends far away are pulled in along the segment to where
    // their round caps cannot reach the raster any more.
    double ax = x0;
    double ay = y0;
    double bx = x1;
    double by = y1;
    const double margin = static_cast<double>(std::min<std::int64_t>(width, kSafeCoordinate)) + 2;
    if (!ClipSegment(ax, ay, bx, by, -margin, -margin, width_ + margin, height_ + margin)) {
      return true;
    }
    return PenLine(Round(ax), Round(ay), Round(bx), Round(by),
                   static_cast<int>(std::min<std::int64_t>(width, kSafeCoordinate)),
                   ToColorRef(color));
  }

  std::optional<FontMetrics> SelectFont(std::shared_ptr<const PlatformFont> font) override {
    auto gdiFont = std::dynamic_pointer_cast<const GdiFont>(font);
    if (gdiFont == nullptr) {
      return std::nullopt;
    }
    const HGDIOBJ previous = SelectObject(dc_, gdiFont->Handle());
    if (previous == nullptr || previous == HGDI_ERROR) {
      return std::nullopt;
    }
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc_, &metrics)) {
      SelectObject(dc_, previous);
      return std::nullopt;
    }
    font_ = std::move(gdiFont);
    return FontMetrics{static_cast<std::int32_t>(metrics.tmHeight),
                       static_cast<std::int32_t>(metrics.tmExternalLeading),
                       static_cast<std::int32_t>(metrics.tmAveCharWidth)};
  }

  std::optional<std::int32_t> MeasureText(std::string_view cp1252) const override {
    if (font_ == nullptr) {
      return std::nullopt;
    }
    const std::wstring text = Cp1252ToWide(cp1252);
    SIZE size{};
    if (text.empty() ||
        !GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size)) {
      return std::nullopt;
    }
    return static_cast<std::int32_t>(size.cx);
  }

  std::optional<std::int32_t> DrawTextRun(const TextRun& run) override {
    if (font_ == nullptr) {
      return std::nullopt;
    }
    const std::wstring text = Cp1252ToWide(run.text);
    if (text.empty()) {
      return std::nullopt;
    }
    SetTextColor(dc_, ToColorRef(run.foreColor));
    if (run.backColor) {
      SetBkMode(dc_, OPAQUE);
      SetBkColor(dc_, ToColorRef(*run.backColor));
    } else {
      SetBkMode(dc_, TRANSPARENT);
    }
    if (!MoveToEx(dc_, run.x, run.y, nullptr)) {
      return std::nullopt;
    }
    const int length = static_cast<int>(text.size());
    bool drawn = false;
    if (run.clip) {
      RECT clip{run.clip->left, run.clip->top, run.clip->right, run.clip->bottom};
      drawn = ExtTextOutW(dc_, run.x, run.y, ETO_CLIPPED, &clip, text.c_str(),
                          static_cast<UINT>(length), nullptr) != 0;
    } else {
      drawn = TextOutW(dc_, run.x, run.y, text.c_str(), length) != 0;
    }
    POINT end{run.x, run.y};
    GetCurrentPositionEx(dc_, &end);
    if (!drawn) {
      return std::nullopt;
    }
    return static_cast<std::int32_t>(end.x - run.x);
  }

  bool CopyRows(std::int32_t top, std::int32_t count, std::uint8_t* dest, std::ptrdiff_t stride,
                PixelOrder order) const override {
    HDC copyDc = CreateCompatibleDC(dc_);
    if (copyDc == nullptr) {
      return false;
    }
    DcGuard copyGuard(copyDc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = count;  // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ObjectGuard copy(CreateDIBSection(copyDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (copy.Get() == nullptr || bits == nullptr) {
      return false;
    }
    Selection selectCopy(copyDc, copy.Get());
    DIBSECTION section{};
    if (!selectCopy.Ok() || GetObjectW(copy.Get(), sizeof(section), &section) == 0) {
      return false;
    }
    if (!BitBlt(copyDc, 0, 0, width_, count, dc_, 0, top, SRCCOPY)) {
      return false;
    }
    GdiFlush();
    const auto rowBytes = static_cast<std::size_t>(width_) * 3;
    const auto sourceStride = static_cast<std::size_t>(section.dsBm.bmWidthBytes);
    const auto padBytes = static_cast<std::size_t>(stride < 0 ? -stride : stride) - rowBytes;
    const auto* source = static_cast<const std::uint8_t*>(bits);
    for (std::int32_t k = 0; k < count; ++k) {
      // Row top + k is DIB row count - 1 - k, counted from the bottom.
      const std::uint8_t* in = source + static_cast<std::size_t>(count - 1 - k) * sourceStride;
      std::uint8_t* out = dest + static_cast<std::ptrdiff_t>(k) * stride;
      if (order == PixelOrder::kBgr) {
        std::memcpy(out, in, rowBytes);
      } else {
        for (std::size_t i = 0; i < rowBytes; i += 3) {
          out[i] = in[i + 2];
          out[i + 1] = in[i + 1];
          out[i + 2] = in[i];
        }
      }
      std::memset(out + rowBytes, 0, padBytes);
    }
    return true;
  }

  Rgb Pixel(std::int32_t x, std::int32_t y) const override {
    return static_cast<Rgb>(GetPixel(dc_, x, y) & 0x00FFFFFFu);
  }

 private:
  static bool IsSafe(std::int64_t v) { return v > -kSafeCoordinate && v < kSafeCoordinate; }

  static int Round(double v) { return static_cast<int>(std::lround(v)); }

  bool PenLine(int x0, int y0, int x1, int y1, int width, COLORREF color) {
    ObjectGuard pen(CreatePen(PS_SOLID, width, color));
    if (pen.Get() == nullptr) {
      return false;
    }
    Selection selectPen(dc_, pen.Get());
    if (!selectPen.Ok()) {
      return false;
    }
    return MoveToEx(dc_, x0, y0, nullptr) != 0 && LineTo(dc_, x1, y1) != 0;
  }

  // A thin line whose ends lie beyond what GDI keeps exact, drawn pixel by
  // pixel with the same rule.
  void FarThinLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                   COLORREF color) {
    WalkThinLine(x0, y0, x1, y1, width_, height_,
                 [&](std::int32_t x, std::int32_t y) { SetPixelV(dc_, x, y, color); });
  }

  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previousBitmap_ = nullptr;
  HGDIOBJ previousFont_ = nullptr;
  std::int32_t width_;
  std::int32_t height_;
  std::shared_ptr<const GdiFont> font_;
};

// A bitmap that holds 24-bit colour exactly: the screen's own format when it
// has at least 24 bits per pixel, else a 32-bit DIB section.
HBITMAP MakeRasterBitmap(HDC screen, HDC memory, std::int32_t width, std::int32_t height) {
  const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  if (depth >= 24) {
    return CreateCompatibleBitmap(screen, width, height);
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

}  // namespace

std::unique_ptr<Surface> MakeRasterSurface(std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) {
    return nullptr;
  }
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) {
    return nullptr;
  }
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = dc != nullptr ? MakeRasterBitmap(screen, dc, width, height) : nullptr;
  ReleaseDC(nullptr, screen);
  if (bitmap == nullptr) {
    if (dc != nullptr) {
      DeleteDC(dc);
    }
    return nullptr;
  }
  auto raster = std::make_unique<GdiRaster>(dc, bitmap, width, height);
  if (!raster->Selected()) {
    return nullptr;  // the raster's destructor releases the context and bitmap
  }
  return raster;
}

std::shared_ptr<PlatformFont> MakePlatformFont(const FontDescription& description) {
  const LOGFONTW logFont = ToLogFont(description);
  HFONT font = CreateFontIndirectW(&logFont);
  if (font == nullptr) {
    return nullptr;
  }
  return std::make_shared<GdiFont>(font);
}

}  // namespace trevalda::canvas
