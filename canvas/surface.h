// The small interface between the canvas engine and a raster backend.
//
// The engine (engine.cpp, fonts.cpp, bitmap_file.cpp) owns everything that is
// the same on every platform: handles, the attached canvas, colours and what
// their negative codes mean, rounding, the current position, the font table,
// retries and locks. A backend only turns already-resolved requests into pixels. Two
// raster backends exist behind this interface: Cairo image surfaces
// (cairo_surface.cpp) and Win32 GDI memory bitmaps (gdi_surface.cpp). One
// portable vector backend, the PDF writer (pdf_writer.cpp), implements the
// same calls for documents on every platform.
//
// Nothing here names a platform type. Colours are plain 0x00BBGGRR values
// with the top byte zero (never one of the negative colour codes). Texts and
// face names stay Windows-1252, as the engine keeps them; each backend
// converts them at its own edge (Cairo and fontconfig: UTF-8, GDI: UTF-16,
// the PDF writer: none, WinAnsi is Windows-1252). The engine serialises all calls on one surface,
// so a backend needs no locking of its own for a surface; MakeRasterSurface and MakePlatformFont
// may be called from several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trevalda::canvas {

// 0x00BBGGRR, top byte zero.
using Rgb = std::uint32_t;

// How ClearCanvas fills the raster. Hatches are 1-pixel lines every 8 pixels,
// aligned to the raster's top-left corner, in the colour; the pixels between
// the lines keep what they held.
enum class FillPattern : std::uint8_t {
  kSolid,
  kHorizontal,
  kVertical,
  kForwardDiagonal,   // "\" : top-left to bottom-right
  kBackwardDiagonal,  // "/" : bottom-left to top-right
  kCross,
  kDiagonalCross,
};

// A font request, laid out after the Win32 LOGFONTW record so a GDI backend
// can fill one field by field.
struct FontDescription {
  // Pixels. Negative: character (em) height; positive: cell height
  // (ascent + descent); 0: the backend's default size.
  std::int32_t height = 0;
  std::int32_t width = 0;        // 0: the face's own proportions
  std::int32_t escapement = 0;   // tenths of a degree
  std::int32_t orientation = 0;  // tenths of a degree
  std::int32_t weight = 400;     // 400 regular, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::uint8_t charSet = 0;
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitchAndFamily = 0;  // low 2 bits pitch (1 fixed), high 4 bits family
  std::string face;                 // Windows-1252, at most 31 characters

  bool operator==(const FontDescription&) const = default;
};

// Metrics of a font as selected on a surface, in whole pixels.
struct FontMetrics {
  std::int32_t lineHeight = 0;  // ascent + descent: the character cell height
  std::int32_t externalLeading = 0;
  std::int32_t averageCharWidth = 0;
};

struct DocumentFont;

// A font made by the backend (a Cairo scaled font, a GDI HFONT). Opaque to
// the engine, which caches one per font number and hands it to any surface.
class PlatformFont {
 public:
  virtual ~PlatformFont() = default;

  // The first character of the Windows-1252 `text` that the face has no
  // glyph for (as UTF-16; control codes aside), so that it would show as an
  // empty box; nothing when it draws them all, or when the platform cannot
  // tell (the default).
  virtual std::optional<char16_t> MissingCharacter(std::string_view /*text1252*/) const {
    return std::nullopt;
  }

  // The face's family name (UTF-8), for messages; empty when unknown.
  virtual std::string FamilyName() const { return {}; }

 private:
  // Its document form, made once by MakeDocumentFont (document_font.h).
  friend std::shared_ptr<const DocumentFont> MakeDocumentFont(const PlatformFont& font);
  mutable std::once_flag documentOnce_;
  mutable std::shared_ptr<const DocumentFont> document_;
};

// Makes the platform font for a description; nullptr when the platform
// refuses. A face the machine lacks is served by the platform's substitute.
std::shared_ptr<PlatformFont> MakePlatformFont(const FontDescription& description);

// The byte order of a 24-bit pixel: blue-green-red as in bitmap files, or
// red-green-blue as in PNG files.
enum class PixelOrder : std::uint8_t { kBgr, kRgb };

struct PixelRect {  // left/top inclusive, right/bottom exclusive
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

struct TextRun {
  std::string_view text;  // Windows-1252, not empty
  std::int32_t x = 0;     // top-left corner of the first character cell
  std::int32_t y = 0;
  Rgb foreColor = 0;
  std::optional<Rgb> backColor;   // fills the character cells; none: glyphs only
  std::optional<PixelRect> clip;  // none: unclipped (rotated text)
};

class Surface {
 public:
  virtual ~Surface() = default;

  virtual std::int32_t Width() const = 0;
  virtual std::int32_t Height() const = 0;

  // Fills every pixel with the pattern in `color`. False when the platform
  // refused (the engine retries).
  virtual bool Fill(Rgb color, FillPattern pattern) = 0;

  // Strokes a line. Width 0 or 1: the thin line, covering the start pixel and
  // every pixel up to, but not including, the end pixel. Wider: a solid
  // stroke of that width centred on the segment, with round ends. No
  // antialiasing. Coordinates may lie anywhere, also far off the raster.
  // False when the platform refused (the engine retries).
  virtual bool StrokeLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                          std::int32_t width, Rgb color) = 0;

  // Makes `font` the font of later DrawTextRun calls and returns its metrics.
  // On failure returns nothing and keeps the previous font.
  virtual std::optional<FontMetrics> SelectFont(std::shared_ptr<const PlatformFont> font) = 0;

  // Draws a run in the selected font and returns its advance in pixels
  // (how far the current position moves along x); nothing on failure.
  virtual std::optional<std::int32_t> DrawTextRun(const TextRun& run) = 0;

  // The advance DrawTextRun would give `text` (Windows-1252) in the selected
  // font, in pixels, without drawing anything; nothing when no font is
  // selected or the platform cannot measure (the default).
  virtual std::optional<std::int32_t> MeasureText(std::string_view /*text*/) const {
    return std::nullopt;
  }

  // Writes rows top to top + count - 1 of the raster (0 is the top row) as
  // 24-bit pixels in `order`: row top + k starts at dest + k x stride, the
  // stride may be negative (rows laid out upwards), and after the width x 3
  // pixel bytes come |stride| - width x 3 zero bytes. The rows lie on the
  // raster and |stride| is at least width x 3. False when the platform
  // refused, and always for a surface without a raster (the default).
  virtual bool CopyRows(std::int32_t /*top*/, std::int32_t /*count*/, std::uint8_t* /*dest*/,
                        std::ptrdiff_t /*stride*/, PixelOrder /*order*/) const {
    return false;
  }

  // Writes the whole raster as blue-green-red rows, the bottom row first,
  // each row `stride` bytes (width x 3 rounded up to 4; the fill bytes are
  // set to 0): the rows of a bitmap file. `dest` holds stride x height bytes.
  // By default through CopyRows.
  virtual bool CopyBgr24BottomUp(std::uint8_t* dest, std::int32_t stride) const {
    const std::int32_t height = Height();
    return CopyRows(0, height, dest + static_cast<std::ptrdiff_t>(height - 1) * stride, -stride,
                    PixelOrder::kBgr);
  }

  // One pixel as 0x00BBGGRR; (x, y) lies on the raster.
  virtual Rgb Pixel(std::int32_t x, std::int32_t y) const = 0;
};

// Makes a raster of width x height pixels (both at least 1), contents
// undefined until the first fill; nullptr when the platform cannot.
std::unique_ptr<Surface> MakeRasterSurface(std::int32_t width, std::int32_t height);

struct DocumentLayout;

// A surface whose drawings become the pages of a vector document (PDF),
// each page a width x height pixel drawing that the layout places on the
// document's sheets. It has no raster: CopyRows fails and Pixel reads 0.
class DocumentSurface : public Surface {
 public:
  // Ends the current page; later drawing goes on a new one. False when the
  // document has failed.
  virtual bool EndPage() = 0;

  // Pages ended so far.
  virtual std::int32_t PageCount() const = 0;

  // Completes the document: the ended pages placed on sheets, with the
  // links, outline, labels and metadata of `layout` (document_layout.h),
  // and moves its bytes into `bytes`. The surface takes no more drawing
  // afterwards. False when the document has failed or the layout names a
  // page that was not drawn.
  virtual bool Finish(const DocumentLayout& layout, std::vector<std::uint8_t>& bytes) = 0;
};

// A PDF document whose pages are drawings of width x height pixels (both at
// least 1); nullptr otherwise.
std::unique_ptr<DocumentSurface> MakePdfSurface(std::int32_t width, std::int32_t height);

}  // namespace trevalda::canvas
