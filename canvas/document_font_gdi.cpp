// The document form of a GDI backend font, read from the very HFONT the
// raster draws with: the tables of the face GDI selected for it
// (GetFontData), its glyph ids (GetGlyphIndicesW) and the whole-pixel
// advances the raster sets each character at (GetCharWidth32W at the
// font's own size). The widths and extents in font units come from the
// same face and weight at one em per font unit.
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "canvas/document_font.h"
#include "canvas/gdi_font.h"
#include "text/cp1252.h"
#include "text/windows_api.h"

namespace trevalda::canvas {
namespace {

constexpr int kFirstBoldWeight = 600;
constexpr std::uint32_t kOs2Tag = 0x4F532F32;  // 'OS/2'

class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  ~MemoryDc() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  bool Select(HFONT font) {
    if (dc_ == nullptr) return false;
    const HGDIOBJ previous = SelectObject(dc_, font);
    if (previous == nullptr || previous == HGDI_ERROR) return false;
    if (previous_ == nullptr) previous_ = previous;
    return true;
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

std::int32_t PerMille(double units, double unitsPerEm) {
  return static_cast<std::int32_t>(std::lround(units * 1000.0 / unitsPerEm));
}

// GetFontData takes the table tag with its first letter in the low byte.
DWORD GdiTag(std::uint32_t tag) {
  return ((tag & 0xFFu) << 24) | ((tag & 0xFF00u) << 8) | ((tag >> 8) & 0xFF00u) | (tag >> 24);
}

std::optional<std::vector<std::uint8_t>> ReadTable(HDC dc, std::uint32_t tag) {
  const DWORD size = GetFontData(dc, GdiTag(tag), 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0) return std::nullopt;
  std::vector<std::uint8_t> table(size);
  if (GetFontData(dc, GdiTag(tag), 0, table.data(), size) != size) return std::nullopt;
  return table;
}

std::optional<OUTLINETEXTMETRICW> OutlineMetrics(HDC dc) {
  const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
  if (size < sizeof(OUTLINETEXTMETRICW)) return std::nullopt;
  std::vector<std::uint8_t> buffer(size);
  auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
  if (GetOutlineTextMetricsW(dc, size, metrics) == 0) return std::nullopt;
  return *metrics;
}

std::string PostScriptName(HDC dc, bool bold, bool italic) {
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  std::string name;
  for (const wchar_t* c = face; *c != L'\0'; ++c) {
    if ((*c >= L'A' && *c <= L'Z') || (*c >= L'a' && *c <= L'z') || (*c >= L'0' && *c <= L'9')) {
      name.push_back(static_cast<char>(*c));
    }
  }
  if (name.empty()) name = "Font";
  if (bold || italic) name += std::string(",") + (bold ? "Bold" : "") + (italic ? "Italic" : "");
  return name;
}

// The metrics of the font as the canvas uses it, pixels at its own size.
void SetSizedMetrics(const TEXTMETRICW& text, const OUTLINETEXTMETRICW& sized, DocumentFont& out) {
  out.metrics = {static_cast<std::int32_t>(text.tmHeight),
                 static_cast<std::int32_t>(text.tmExternalLeading),
                 static_cast<std::int32_t>(text.tmAveCharWidth)};
  out.emPixels = static_cast<double>(text.tmHeight - text.tmInternalLeading);
  out.ascentPixels = static_cast<std::int32_t>(text.tmAscent);
  out.underline = text.tmUnderlined != 0;
  out.strikeOut = text.tmStruckOut != 0;
  out.underlineOffset = std::max(1, -static_cast<int>(sized.otmsUnderscorePosition));
  out.strikeOffset = static_cast<std::int32_t>(sized.otmsStrikeoutPosition);
  out.lineThickness = std::max(1, static_cast<int>(sized.otmsUnderscoreSize));
  out.fixedPitch = (text.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;  // the bit means variable
  out.serif = (text.tmPitchAndFamily & 0xF0) == FF_ROMAN;
  out.italic = text.tmItalic != 0;
}

// The Unicode character of every document code (0 for the codes
// Windows-1252 leaves undefined).
std::wstring DocumentCharacters() {
  std::wstring characters;
  for (int i = 0; i < kDocumentCodes; ++i) {
    const std::u16string c =
        Cp1252ToUtf16(std::string(1, static_cast<char>(kFirstDocumentCode + i)));
    characters.push_back(c.size() == 1 ? static_cast<wchar_t>(c[0]) : L'\0');
  }
  return characters;
}

// The glyph of every document code in the face selected into `dc` (0 when
// the face lacks it).
bool ReadGlyphs(HDC dc, const std::wstring& characters, CodeGlyphs& glyphs) {
  std::vector<WORD> indices(characters.size());
  if (GetGlyphIndicesW(dc, characters.c_str(), static_cast<int>(characters.size()), indices.data(),
                       GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
    return false;
  }
  for (std::size_t k = 0; k < characters.size(); ++k) {
    glyphs[k] = characters[k] != L'\0' && indices[k] != 0xFFFF ? indices[k] : 0;
  }
  return true;
}

// The advance of each document code in the font selected into `dc`, in its
// pixels, as ExtTextOutW moves along (0 for the undefined codes).
bool ReadAdvances(HDC dc, const std::wstring& characters,
                  std::array<std::int32_t, kDocumentCodes>& advances) {
  for (std::size_t k = 0; k < characters.size(); ++k) {
    INT width = 0;
    if (characters[k] != L'\0' && !GetCharWidth32W(dc, characters[k], characters[k], &width)) {
      return false;
    }
    advances[k] = static_cast<std::int32_t>(width);
  }
  return true;
}

// What the document needs of the raster's own font, selected into `dc`:
// its glyphs, its advances, the embedded program made of its tables, its
// names and whether GDI thickens its strokes.
bool ReadRasterFace(HDC dc, const TEXTMETRICW& text, CodeGlyphs& glyphs, DocumentFont& out) {
  const std::wstring characters = DocumentCharacters();
  if (!ReadGlyphs(dc, characters, glyphs) || !ReadAdvances(dc, characters, out.pixelAdvances)) {
    return false;
  }
  const auto table = [&](std::uint32_t tag) { return ReadTable(dc, tag); };
  std::optional<std::vector<std::uint8_t>> program = BuildEmbeddedTrueType(table, glyphs);
  if (!program) return false;
  out.program = std::move(*program);
  // GDI thickens a face whose own weight is below the bold it selected.
  const bool bold = text.tmWeight >= kFirstBoldWeight;
  const std::optional<std::vector<std::uint8_t>> os2 = ReadTable(dc, kOs2Tag);
  const int faceWeight = os2 && os2->size() > 6 ? ((*os2)[4] << 8) | (*os2)[5] : 400;
  out.syntheticBold = bold && faceWeight < kFirstBoldWeight;
  out.postScriptName = PostScriptName(dc, bold, text.tmItalic != 0);
  return true;
}

// The widths (0 for the codes without a glyph) and extents in thousandths
// of an em, from the same face selected into `dc` at one pixel per font
// unit (`units` its metrics).
bool ReadUnitFace(HDC dc, const OUTLINETEXTMETRICW& units, const CodeGlyphs& glyphs,
                  DocumentFont& out) {
  const double em = units.otmEMSquare;
  std::array<std::int32_t, kDocumentCodes> widths{};
  if (!ReadAdvances(dc, DocumentCharacters(), widths)) return false;
  for (std::size_t k = 0; k < widths.size(); ++k) {
    out.widths[k] = glyphs[k] != 0 ? PerMille(widths[k], em) : 0;
  }
  out.ascender = PerMille(units.otmAscent, em);
  out.descender = PerMille(units.otmDescent, em);
  out.capHeight =
      PerMille(units.otmsCapEmHeight > 0 ? units.otmsCapEmHeight : units.otmAscent * 7 / 10, em);
  out.boundingBox = {PerMille(units.otmrcFontBox.left, em), PerMille(units.otmrcFontBox.bottom, em),
                     PerMille(units.otmrcFontBox.right, em), PerMille(units.otmrcFontBox.top, em)};
  return true;
}

// The request for the face, weight and slant GDI selected into `dc`, at one
// pixel per font unit: the mapper finds the same face again by its own name.
LOGFONTW UnitRequest(HDC dc, const TEXTMETRICW& text, const LOGFONTW& request, UINT emSquare) {
  LOGFONTW unit = request;
  unit.lfHeight = -static_cast<LONG>(emSquare);
  unit.lfWidth = 0;
  unit.lfEscapement = 0;
  unit.lfOrientation = 0;
  unit.lfWeight = text.tmWeight;
  unit.lfItalic = text.tmItalic != 0 ? TRUE : FALSE;
  unit.lfUnderline = FALSE;
  unit.lfStrikeOut = FALSE;
  unit.lfCharSet = text.tmCharSet;
  wchar_t face[LF_FACESIZE] = {};
  if (GetTextFaceW(dc, LF_FACESIZE, face) > 0) std::copy_n(face, LF_FACESIZE, unit.lfFaceName);
  unit.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return unit;
}

}  // namespace

std::shared_ptr<const DocumentFont> ReadDocumentFont(const PlatformFont& platformFont) {
  const auto* font = dynamic_cast<const GdiFont*>(&platformFont);
  if (font == nullptr) return nullptr;
  MemoryDc dc;
  TEXTMETRICW text{};
  LOGFONTW request{};
  if (!dc.Select(font->Handle()) || !GetTextMetricsW(dc.Get(), &text) ||
      GetObjectW(font->Handle(), sizeof request, &request) == 0) {
    return nullptr;
  }
  const std::optional<OUTLINETEXTMETRICW> sized = OutlineMetrics(dc.Get());
  if (!sized) return nullptr;  // no outline font

  auto out = std::make_shared<DocumentFont>();
  SetSizedMetrics(text, *sized, *out);
  CodeGlyphs glyphs{};
  if (!ReadRasterFace(dc.Get(), text, glyphs, *out)) return nullptr;

  const LOGFONTW unit = UnitRequest(dc.Get(), text, request, sized->otmEMSquare);
  HFONT unitFont = CreateFontIndirectW(&unit);
  if (unitFont == nullptr) return nullptr;
  bool read = false;
  {
    MemoryDc unitDc;
    const std::optional<OUTLINETEXTMETRICW> units =
        unitDc.Select(unitFont) ? OutlineMetrics(unitDc.Get()) : std::nullopt;
    read = units && ReadUnitFace(unitDc.Get(), *units, glyphs, *out);
  }  // unitDc gives the font back before it is deleted
  DeleteObject(unitFont);
  return read ? out : nullptr;
}

}  // namespace trevalda::canvas
