// What a document needs to carry a font: the glyph program to embed, the
// advance widths of the Windows-1252 codes, the whole-pixel advances the
// raster sets them at and the placement of the text cell, all taken from
// the font the raster draws with, so that a document page sets its texts,
// glyph by glyph, where the raster page does.
//
// The platform supplies the face (FreeType on the file fontconfig resolved
// and Cairo's advances on Linux; on Windows GetFontData on the very HFONT
// the raster selects, with its GDI widths); the embedded program is rebuilt
// portably from the face's tables by BuildEmbeddedTrueType.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "canvas/surface.h"

namespace trevalda::canvas {

// The first and last Windows-1252 codes a document font covers.
inline constexpr int kFirstDocumentCode = 32;
inline constexpr int kLastDocumentCode = 255;
inline constexpr int kDocumentCodes = kLastDocumentCode - kFirstDocumentCode + 1;

struct DocumentFont {
  std::string postScriptName;         // printable ASCII without blanks, at most 63 characters
  std::vector<std::uint8_t> program;  // a stand-alone TrueType font (sfnt), glyph ids kept
  // Advance of each code from kFirstDocumentCode, in thousandths of the em.
  std::array<std::int32_t, kDocumentCodes> widths{};
  // In thousandths of the em, y up from the baseline.
  std::int32_t ascender = 0;
  std::int32_t descender = 0;  // negative
  std::int32_t capHeight = 0;
  std::array<std::int32_t, 4> boundingBox{};  // xMin, yMin, xMax, yMax
  bool fixedPitch = false;
  bool serif = false;
  bool italic = false;
  bool syntheticBold = false;  // the platform thickens the strokes; so must the document

  // Placement, pixels at 96 dots per inch, as the raster sets the font.
  FontMetrics metrics;  // the raster's metrics of the font
  double emPixels = 0;  // the font size
  // How far the raster moves along after each code from kFirstDocumentCode,
  // whole pixels at this size (hinted advances, not the widths scaled): a
  // run's glyph k starts at the sum of the advances of the codes before it.
  std::array<std::int32_t, kDocumentCodes> pixelAdvances{};
  std::int32_t ascentPixels = 0;     // from the top of the text cell down to the baseline
  std::int32_t underlineOffset = 0;  // below the baseline
  std::int32_t strikeOffset = 0;     // above the baseline
  std::int32_t lineThickness = 1;
  bool underline = false;
  bool strikeOut = false;
};

// The document form of a font made by MakePlatformFont; nullptr when the
// platform cannot supply its glyphs (a face that is no TrueType outline
// font, or a platform call that failed). Made once per platform font and
// shared afterwards; safe to call from several threads.
std::shared_ptr<const DocumentFont> MakeDocumentFont(const PlatformFont& font);

// The platform half of MakeDocumentFont, called once per font: reads the
// face behind `font` (FreeType on Linux, GDI on Windows).
std::shared_ptr<const DocumentFont> ReadDocumentFont(const PlatformFont& font);

// Reads one table of a face by its tag ('glyf' as 0x676C7966); nothing when
// the face has no such table.
using FontTableReader = std::function<std::optional<std::vector<std::uint8_t>>(std::uint32_t tag)>;

// The glyph id of each code from kFirstDocumentCode (0: the face lacks it).
using CodeGlyphs = std::array<std::uint16_t, kDocumentCodes>;

// A stand-alone TrueType font made of the tables a PDF reader needs (head,
// hhea, maxp, hmtx, loca, glyf, cvt, fpgm, prep, OS/2, and a post table
// without glyph names), whose outlines are kept only for the glyphs of
// `codes` (with glyph 0 and the parts of composite glyphs); other glyphs
// are left empty, so glyph ids stay as they are. Its cmap maps the Unicode
// character of each Windows-1252 code to its glyph. Nothing when a
// required table is missing or malformed.
std::optional<std::vector<std::uint8_t>> BuildEmbeddedTrueType(const FontTableReader& read,
                                                               const CodeGlyphs& codes);

}  // namespace trevalda::canvas
