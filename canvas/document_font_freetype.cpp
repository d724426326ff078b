// The document form of a Cairo backend font: the face fontconfig resolved,
// read through FreeType, and the advances Cairo lays its glyphs out by.
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "canvas/cairo_font.h"
#include "canvas/document_font.h"
#include "text/cp1252.h"

namespace trevalda::canvas {
namespace {

template <typename Units>
std::int32_t PerMille(Units units, double unitsPerEm) {
  return static_cast<std::int32_t>(std::lround(static_cast<double>(units) * 1000.0 / unitsPerEm));
}

std::string PostScriptName(FT_Face face) {
  const char* given = FT_Get_Postscript_Name(face);
  std::string name;
  for (const char* c = given != nullptr ? given : "Font"; *c != '\0' && name.size() < 63; ++c) {
    if (*c > ' ' && *c < 0x7F && std::string_view("()<>[]{}/%#").find(*c) == std::string::npos) {
      name.push_back(*c);
    }
  }
  return name.empty() ? "Font" : name;
}

// Fills everything that comes from the face; false when it is no
// TrueType outline font.
bool ReadFace(FT_Face face, DocumentFont& out) {
  if (face == nullptr || !FT_IS_SFNT(face) || !FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
    return false;
  }
  const double em = face->units_per_EM;
  CodeGlyphs glyphs{};
  for (int i = 0; i < kDocumentCodes; ++i) {
    const std::u16string unicode =
        Cp1252ToUtf16(std::string(1, static_cast<char>(kFirstDocumentCode + i)));
    const FT_UInt glyph = unicode.size() == 1 ? FT_Get_Char_Index(face, unicode[0]) : 0;
    FT_Fixed advance = 0;
    if (FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) advance = 0;
    glyphs[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(glyph);
    out.widths[static_cast<std::size_t>(i)] = PerMille(static_cast<double>(advance), em);
  }
  const auto read = [face](std::uint32_t tag) -> std::optional<std::vector<std::uint8_t>> {
    FT_ULong length = 0;
    if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0 || length == 0) {
      return std::nullopt;
    }
    std::vector<std::uint8_t> table(length);
    if (FT_Load_Sfnt_Table(face, tag, 0, table.data(), &length) != 0) return std::nullopt;
    return table;
  };
  std::optional<std::vector<std::uint8_t>> program = BuildEmbeddedTrueType(read, glyphs);
  if (!program) return false;
  out.program = std::move(*program);
  out.postScriptName = PostScriptName(face);
  out.ascender = PerMille(face->ascender, em);
  out.descender = PerMille(face->descender, em);
  out.boundingBox = {PerMille(face->bbox.xMin, em), PerMille(face->bbox.yMin, em),
                     PerMille(face->bbox.xMax, em), PerMille(face->bbox.yMax, em)};
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  out.capHeight = os2 != nullptr && os2->version >= 2 && os2->sCapHeight > 0
                      ? PerMille(os2->sCapHeight, em)
                      : out.ascender * 7 / 10;
  constexpr int kSerifClasses = 7;  // IBM font classes 1 to 7 are serif faces
  const int familyClass = os2 != nullptr ? (os2->sFamilyClass >> 8) : 0;
  out.serif = familyClass >= 1 && familyClass <= kSerifClasses;
  out.fixedPitch = FT_IS_FIXED_WIDTH(face);
  out.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  return true;
}

// The raster's advance of every document code, whole pixels; false when
// Cairo cannot lay one out.
bool ReadPixelAdvances(const CairoFont& font, DocumentFont& out) {
  for (int i = 0; i < kDocumentCodes; ++i) {
    const std::optional<std::int32_t> advance =
        font.Advance(std::string(1, static_cast<char>(kFirstDocumentCode + i)));
    if (!advance) return false;
    out.pixelAdvances[static_cast<std::size_t>(i)] = *advance;
  }
  return true;
}

}  // namespace

std::shared_ptr<const DocumentFont> ReadDocumentFont(const PlatformFont& platformFont) {
  const auto* font = dynamic_cast<const CairoFont*>(&platformFont);
  if (font == nullptr) return nullptr;
  auto out = std::make_shared<DocumentFont>();
  FT_Face face = cairo_ft_scaled_font_lock_face(font->font());
  const bool read = ReadFace(face, *out);
  if (face != nullptr) cairo_ft_scaled_font_unlock_face(font->font());
  if (!read || !ReadPixelAdvances(*font, *out)) return nullptr;

  cairo_matrix_t matrix;
  cairo_scaled_font_get_font_matrix(font->font(), &matrix);
  out->emPixels = matrix.yy;
  out->metrics = font->metrics();
  const CairoFont::Layout& layout = font->layout();
  out->ascentPixels = layout.ascent;
  out->underlineOffset = layout.underlineOffset;
  out->strikeOffset = layout.strikeOffset;
  out->lineThickness = layout.lineThickness;
  out->underline = layout.underline;
  out->strikeOut = layout.strikeOut;
  out->syntheticBold = layout.syntheticBold;
  return out;
}

}  // namespace trevalda::canvas
