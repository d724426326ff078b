// The raster backend on Cairo image surfaces, with fonts found by fontconfig
// and drawn by FreeType.
//
// Fills and thin lines are written straight into the image data: a fill is a
// row-by-row store, a thin line is an integer line walk that covers the start
// pixel and stops before the end pixel, as the Windows engine draws them.
// Wider lines are stroked by Cairo without antialiasing at pixel centres with
// round caps, so a width-5 rule at row y covers rows y-2 to y+2. Text keeps
// grayscale antialiasing.
//
// Font metrics follow the Windows rules for TrueType faces, read from the
// face's OS/2 and hhea tables: line height = ceil(winAscent) +
// ceil(winDescent) scaled to pixels, external leading = the hhea line gap
// less what winAscent/winDescent already add over the hhea extent (at least
// 0), average character width = OS/2 xAvgCharWidth (the advance of 'x' when
// the face has no OS/2 table). Faces without those tables use FreeType's own
// ascender, descender and height.
#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "canvas/cairo_font.h"
#include "canvas/line_geometry.h"
#include "canvas/surface.h"
#include "text/cp1252.h"

namespace trevalda::canvas {
namespace {

// Pixel height used for a description whose height is 0.
constexpr double kDefaultEmPixels = 12.0;
// Fontconfig weight threshold between regular and bold requests.
constexpr std::int32_t kFirstBoldWeight = 600;
constexpr std::uint8_t kPitchMask = 0x03;
constexpr std::uint8_t kFixedPitch = 1;
constexpr std::uint8_t kFamilyMask = 0xF0;
constexpr std::uint8_t kFamilyRoman = 0x10;
constexpr std::uint8_t kFamilySwiss = 0x20;
constexpr std::uint8_t kFamilyModern = 0x30;
constexpr std::uint8_t kFamilyScript = 0x40;
constexpr std::uint8_t kFamilyDecorative = 0x50;

// Cairo's RGB24 pixels are 0x00RRGGBB; colours here are 0x00BBGGRR. The swap
// is its own inverse.
constexpr std::uint32_t SwapRedBlue(std::uint32_t c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

void SetSource(cairo_t* cr, Rgb color) {
  cairo_set_source_rgb(cr, (color & 0xFFu) / 255.0, ((color >> 8) & 0xFFu) / 255.0,
                       ((color >> 16) & 0xFFu) / 255.0);
}

// ---------------------------------------------------------------------------
// Fonts

// Font faces resolved through fontconfig, one per (face, bold, italic,
// pitch and family). Kept for the whole process: fontconfig matching is the
// slow part of making a font.
struct FaceCache {
  std::mutex lock;
  std::map<std::tuple<std::string, bool, bool, std::uint8_t>, cairo_font_face_t*> faces;
  std::map<cairo_font_face_t*, bool> emboldened;  // faces fontconfig thickens
};

FaceCache& Faces() {
  static FaceCache& cache = *new FaceCache;
  return cache;
}

// The fontconfig configuration the backend loads: the system's font folders
// and caches, the page's fallbacks (a face the machine lacks is served by
// the generic sans-serif family, as fontconfig's stock rules do), and
// synthetic bold. Parsing the system's sixty-odd configuration files takes
// most of a page's run time; this takes a tenth of it.
constexpr char kFontConfig[] = R"(<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
  <dir prefix="xdg">fonts</dir>
  <dir>~/.fonts</dir>
  <cachedir>/var/cache/fontconfig</cachedir>
  <cachedir prefix="xdg">fontconfig</cachedir>
  <cachedir>~/.fontconfig</cachedir>
  <selectfont><rejectfont><pattern>
    <patelt name="scalable"><bool>false</bool></patelt>
  </pattern></rejectfont></selectfont>
  <match target="pattern">
    <test qual="all" name="family" compare="not_eq"><string>sans-serif</string></test>
    <test qual="all" name="family" compare="not_eq"><string>serif</string></test>
    <test qual="all" name="family" compare="not_eq"><string>monospace</string></test>
    <edit name="family" mode="append_last"><string>sans-serif</string></edit>
  </match>
  <alias><family>serif</family><prefer>
    <family>Noto Serif</family><family>DejaVu Serif</family><family>Times New Roman</family>
    <family>Liberation Serif</family><family>Nimbus Roman</family><family>Times</family>
  </prefer></alias>
  <alias><family>sans-serif</family><prefer>
    <family>Noto Sans</family><family>DejaVu Sans</family><family>Verdana</family>
    <family>Arial</family><family>Liberation Sans</family><family>Nimbus Sans</family>
    <family>Helvetica</family>
  </prefer></alias>
  <alias><family>monospace</family><prefer>
    <family>Noto Sans Mono</family><family>DejaVu Sans Mono</family><family>Courier New</family>
    <family>Liberation Mono</family><family>Nimbus Mono PS</family><family>Courier</family>
  </prefer></alias>
  <match target="font">
    <test name="weight" compare="less_eq"><const>medium</const></test>
    <test target="pattern" name="weight" compare="more_eq"><const>bold</const></test>
    <edit name="embolden" mode="assign"><bool>true</bool></edit>
    <edit name="weight" mode="assign"><const>bold</const></edit>
  </match>
</fontconfig>)";

// Makes kFontConfig the current configuration. False (and nothing changed)
// when it cannot be loaded or finds no font at all.
bool UseOwnFontConfig() {
  FcConfig* config = FcConfigCreate();
  if (config == nullptr) {
    return false;
  }
  const bool ready = FcConfigParseAndLoadFromMemory(
                         config, reinterpret_cast<const FcChar8*>(kFontConfig), FcTrue) &&
                     FcConfigBuildFonts(config);
  const FcFontSet* fonts = ready ? FcConfigGetFonts(config, FcSetSystem) : nullptr;
  const bool used = fonts != nullptr && fonts->nfont > 0 && FcConfigSetCurrent(config);
  FcConfigDestroy(config);  // the current configuration keeps its own reference
  return used;
}

// A configuration named in the environment is the user's choice and is
// loaded as is; otherwise the backend's own, and the system's when that
// finds no font.
void InitFontconfigOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    const bool userChoice =
        std::getenv("FONTCONFIG_FILE") != nullptr || std::getenv("FONTCONFIG_PATH") != nullptr;
    if (userChoice || !UseOwnFontConfig()) {
      FcInit();
    }
  });
}

const char* GenericFamily(std::uint8_t pitchAndFamily) {
  if ((pitchAndFamily & kPitchMask) == kFixedPitch) {
    return "monospace";
  }
  switch (pitchAndFamily & kFamilyMask) {
    case kFamilyRoman:
      return "serif";
    case kFamilySwiss:
      return "sans-serif";
    case kFamilyModern:
      return "monospace";
    case kFamilyScript:
      return "cursive";
    case kFamilyDecorative:
      return "fantasy";
    default:
      return nullptr;
  }
}

// The Unicode characters of the printable Windows-1252 codes (the control
// codes 0x7F to 0x9F have none to draw).
std::u16string PrintableCp1252() {
  std::string codes;
  for (int code = 0x20; code <= 0xFF; ++code) {
    if (code < 0x7F || code > 0x9F) codes.push_back(static_cast<char>(code));
  }
  for (const char code :
       std::string_view("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"
                        "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F")) {
    codes.push_back(code);
  }
  return Cp1252ToUtf16(codes);
}

// Asks for a face that writes Spanish, whatever language the user's locale
// names: fontconfig otherwise prefers a face of the locale's language (a
// Japanese locale: a CJK face that may have no Latin letters at all).
void AskForSpanish(FcPattern* request) {
  FcPatternAddString(request, FC_LANG, reinterpret_cast<const FcChar8*>("es"));
  if (FcCharSet* letters = FcCharSetCreate()) {
    for (const char16_t c : PrintableCp1252()) FcCharSetAddChar(letters, c);
    FcPatternAddCharSet(request, FC_CHARSET, letters);
    FcCharSetDestroy(letters);
  }
}

// Matches the face by name (fontconfig substitutes a face the machine lacks)
// and makes a Cairo face from the matched file only, so that the rendering
// options come from this backend and not from the desktop's configuration.
cairo_font_face_t* ResolveFaceLocked(FaceCache& cache, const FontDescription& d) {
  const bool bold = d.weight >= kFirstBoldWeight;
  auto key = std::make_tuple(d.face, bold, d.italic, d.pitchAndFamily);
  if (auto it = cache.faces.find(key); it != cache.faces.end()) {
    return it->second;
  }
  InitFontconfigOnce();
  FcPattern* request = FcPatternCreate();
  if (request == nullptr) {
    return nullptr;
  }
  if (!d.face.empty()) {
    const std::string face = Cp1252ToUtf8(d.face);  // fontconfig reads UTF-8
    FcPatternAddString(request, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  }
  if (const char* generic = GenericFamily(d.pitchAndFamily)) {
    FcPatternAddString(request, FC_FAMILY, reinterpret_cast<const FcChar8*>(generic));
  }
  if ((d.pitchAndFamily & kPitchMask) == kFixedPitch) {
    FcPatternAddInteger(request, FC_SPACING, FC_MONO);
  }
  FcPatternAddInteger(request, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(request, FC_SLANT, d.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  AskForSpanish(request);
  FcConfigSubstitute(nullptr, request, FcMatchPattern);
  FcDefaultSubstitute(request);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, request, &result);
  FcPatternDestroy(request);
  if (match == nullptr) {
    return nullptr;
  }

  FcPattern* file = FcPatternCreate();
  FcChar8* path = nullptr;
  int index = 0;
  FcBool embolden = FcFalse;
  FcMatrix* matrix = nullptr;
  cairo_font_face_t* face = nullptr;
  if (file != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    FcPatternAddString(file, FC_FILE, path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) {
      FcPatternAddInteger(file, FC_INDEX, index);
    }
    // Synthetic bold and slant, when the matched file lacks the style.
    if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch) {
      FcPatternAddBool(file, FC_EMBOLDEN, embolden);
    }
    if (FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch) {
      FcPatternAddMatrix(file, FC_MATRIX, matrix);
    }
    face = cairo_ft_font_face_create_for_pattern(file);
  }
  if (file != nullptr) {
    FcPatternDestroy(file);
  }
  FcPatternDestroy(match);
  if (face == nullptr || cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    return nullptr;
  }
  cache.faces.emplace(std::move(key), face);
  cache.emboldened[face] = embolden != FcFalse;
  return face;
}

cairo_scaled_font_t* MakeScaledFont(cairo_font_face_t* face, double emPixels) {
  cairo_matrix_t fontMatrix;
  cairo_matrix_init_scale(&fontMatrix, emPixels, emPixels);
  cairo_matrix_t identity;
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  // Whole-pixel advances, as the Windows engine lays text out.
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  cairo_scaled_font_t* font = cairo_scaled_font_create(face, &fontMatrix, &identity, options);
  cairo_font_options_destroy(options);
  if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(font);
    return nullptr;
  }
  return font;
}

// Vertical extents of a face in font units.
struct FaceExtents {
  double unitsPerEm = 1;
  double ascent = 0;   // cell part above the baseline
  double descent = 0;  // cell part below the baseline, positive
  double externalLeading = 0;
  double averageCharWidth = 0;   // 0: measure 'x'
  double underlinePosition = 0;  // below the baseline, positive
  double strikePosition = 0;     // above the baseline
  double lineThickness = 0;
};

FaceExtents ReadFaceExtents(cairo_scaled_font_t* font) {
  FaceExtents e;
  FT_Face face = cairo_ft_scaled_font_lock_face(font);
  if (face == nullptr) {
    return e;
  }
  e.unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1;
  e.ascent = face->ascender;
  e.descent = -face->descender;
  e.externalLeading = std::max(0.0, static_cast<double>(face->height) - e.ascent - e.descent);
  e.underlinePosition = -face->underline_position;
  e.lineThickness = face->underline_thickness;
  e.strikePosition = e.ascent / 3;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    e.ascent = os2->usWinAscent;
    e.descent = os2->usWinDescent;
    e.averageCharWidth = std::max<double>(0, os2->xAvgCharWidth);
    e.strikePosition = os2->yStrikeoutPosition;
    if (hhea != nullptr) {
      const double hheaExtent = static_cast<double>(hhea->Ascender) - hhea->Descender;
      e.externalLeading = std::max(0.0, hhea->Line_Gap - ((e.ascent + e.descent) - hheaExtent));
    }
  }
  cairo_ft_scaled_font_unlock_face(font);
  if (e.ascent + e.descent <= 0) {
    e.ascent = e.unitsPerEm * 0.8;
    e.descent = e.unitsPerEm * 0.2;
  }
  return e;
}

std::int32_t ToPixels(double v) { return static_cast<std::int32_t>(std::lround(v)); }

// The 256 codes 0 to 255 in order.
std::string AllCp1252Codes() {
  std::string codes(256, '\0');
  for (std::size_t code = 0; code < codes.size(); ++code) codes[code] = static_cast<char>(code);
  return codes;
}

// Which Windows-1252 codes the face draws (its character map has them) and
// its family name.
CairoFont::Coverage ReadCoverage(cairo_scaled_font_t* font) {
  CairoFont::Coverage coverage;
  FT_Face face = cairo_ft_scaled_font_lock_face(font);
  if (face == nullptr) return coverage;
  const std::u16string unicode = Cp1252ToUtf16(AllCp1252Codes());
  for (std::size_t code = 0; code < 256 && code < unicode.size(); ++code) {
    coverage.codes[code] = FT_Get_Char_Index(face, unicode[code]) != 0;
  }
  if (face->family_name != nullptr) coverage.family = face->family_name;
  cairo_ft_scaled_font_unlock_face(font);
  return coverage;
}

std::int32_t CeilPixels(double v) { return static_cast<std::int32_t>(std::ceil(v - 1e-9)); }

std::shared_ptr<PlatformFont> MakeCairoFont(cairo_font_face_t* face, const FontDescription& d,
                                            bool emboldened) {
  // A negative height is the em height; a positive one the cell height
  // (ascent + descent), which needs the face's proportions first.
  double em = d.height < 0   ? -static_cast<double>(d.height)
              : d.height > 0 ? static_cast<double>(d.height)
                             : kDefaultEmPixels;
  cairo_scaled_font_t* font = MakeScaledFont(face, em);
  if (font == nullptr) {
    return nullptr;
  }
  FaceExtents e = ReadFaceExtents(font);
  if (d.height > 0) {
    em = d.height * e.unitsPerEm / (e.ascent + e.descent);
    cairo_scaled_font_destroy(font);
    font = MakeScaledFont(face, em);
    if (font == nullptr) {
      return nullptr;
    }
  }
  const double scale = em / e.unitsPerEm;
  const std::int32_t ascent = CeilPixels(e.ascent * scale);
  FontMetrics metrics;
  metrics.lineHeight = ascent + CeilPixels(e.descent * scale);
  metrics.externalLeading = ToPixels(e.externalLeading * scale);
  if (e.averageCharWidth > 0) {
    metrics.averageCharWidth = ToPixels(e.averageCharWidth * scale);
  } else {
    cairo_text_extents_t x;
    cairo_scaled_font_text_extents(font, "x", &x);
    metrics.averageCharWidth = ToPixels(x.x_advance);
  }
  const std::int32_t thickness = std::max(1, ToPixels(e.lineThickness * scale));
  CairoFont::Layout layout;
  layout.ascent = ascent;
  layout.underlineOffset = std::max(1, ToPixels(e.underlinePosition * scale));
  layout.strikeOffset = ToPixels(e.strikePosition * scale);
  layout.lineThickness = thickness;
  layout.underline = d.underline;
  layout.strikeOut = d.strikeOut;
  layout.syntheticBold = emboldened;
  return std::make_shared<CairoFont>(font, metrics, layout, ReadCoverage(font));
}

// ---------------------------------------------------------------------------
// Lines

// The advance of laid-out glyphs in whole pixels.
std::int32_t GlyphsAdvance(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int glyphCount) {
  cairo_text_extents_t extents;
  cairo_scaled_font_glyph_extents(font, glyphs, glyphCount, &extents);
  return ToPixels(extents.x_advance);
}

// The advance of a UTF-8 text in whole pixels; nothing on failure.
std::optional<std::int32_t> MeasureTextRun(const CairoFont& cairoFont, std::string_view utf8) {
  cairo_scaled_font_t* font = cairoFont.font();
  cairo_glyph_t* glyphs = nullptr;
  int glyphCount = 0;
  if (cairo_scaled_font_text_to_glyphs(font, 0, 0, utf8.data(), static_cast<int>(utf8.size()),
                                       &glyphs, &glyphCount, nullptr, nullptr,
                                       nullptr) != CAIRO_STATUS_SUCCESS) {
    return std::nullopt;
  }
  const std::int32_t advance = GlyphsAdvance(font, glyphs, glyphCount);
  cairo_glyph_free(glyphs);
  return advance;
}

// Draws a run with its cell's top-left at (run.x, run.y) in user space and
// returns the advance in pixels; nothing on failure.
std::optional<std::int32_t> ShowTextRun(cairo_t* cr, const CairoFont& cairoFont,
                                        const TextRun& run) {
  cairo_scaled_font_t* font = cairoFont.font();
  const double baseline = static_cast<double>(run.y) + cairoFont.ascent();
  cairo_glyph_t* glyphs = nullptr;
  int glyphCount = 0;
  const std::string utf8 = Cp1252ToUtf8(run.text);  // Cairo reads UTF-8
  if (cairo_scaled_font_text_to_glyphs(font, run.x, baseline, utf8.data(),
                                       static_cast<int>(utf8.size()), &glyphs, &glyphCount, nullptr,
                                       nullptr, nullptr) != CAIRO_STATUS_SUCCESS) {
    return std::nullopt;
  }
  const std::int32_t advance = GlyphsAdvance(font, glyphs, glyphCount);
  const std::int32_t cellHeight = cairoFont.metrics().lineHeight;

  cairo_save(cr);
  if (run.clip) {
    const PixelRect& c = *run.clip;
    cairo_rectangle(cr, c.left, c.top, std::max(0, c.right - c.left),
                    std::max(0, c.bottom - c.top));
    cairo_clip(cr);
  }
  if (run.backColor) {
    SetSource(cr, *run.backColor);
    cairo_rectangle(cr, run.x, run.y, advance, cellHeight);
    cairo_fill(cr);
  }
  SetSource(cr, run.foreColor);
  cairo_set_scaled_font(cr, font);
  cairo_show_glyphs(cr, glyphs, glyphCount);
  const std::int32_t thickness = cairoFont.lineThickness();
  if (cairoFont.underline()) {
    cairo_rectangle(cr, run.x, baseline + cairoFont.underlineOffset(), advance, thickness);
    cairo_fill(cr);
  }
  if (cairoFont.strikeOut()) {
    cairo_rectangle(cr, run.x, baseline - cairoFont.strikeOffset(), advance, thickness);
    cairo_fill(cr);
  }
  cairo_restore(cr);
  cairo_glyph_free(glyphs);
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    return std::nullopt;
  }
  return advance;
}

// Font selection and text output on a Cairo context.
template <typename Base>
class CairoText : public Base {
 public:
  std::optional<FontMetrics> SelectFont(std::shared_ptr<const PlatformFont> font) override {
    auto cairoFont = std::dynamic_pointer_cast<const CairoFont>(font);
    if (cairoFont == nullptr) {
      return std::nullopt;
    }
    font_ = std::move(cairoFont);
    return font_->metrics();
  }

  std::optional<std::int32_t> MeasureText(std::string_view text) const override {
    if (font_ == nullptr) {
      return std::nullopt;
    }
    return MeasureTextRun(*font_, Cp1252ToUtf8(text));
  }

 protected:
  std::optional<std::int32_t> ShowText(cairo_t* cr, const TextRun& run) const {
    if (font_ == nullptr) {
      return std::nullopt;
    }
    return ShowTextRun(cr, *font_, run);
  }

 private:
  std::shared_ptr<const CairoFont> font_;
};

// ---------------------------------------------------------------------------
// Copying pixels out

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// Four 0x00RRGGBB pixels to twelve bytes with one byte shuffle. Each store
// writes 16 bytes of which the last 4 are overwritten by the next one, so
// the loop stops while 4 pixels' worth of row remain.
__attribute__((target("ssse3"))) std::int32_t CopyPixelsSsse3(const std::uint32_t* src,
                                                              std::uint8_t* out, std::int32_t width,
                                                              PixelOrder order) {
  const __m128i bgr = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 3, 7, 11, 15);
  const __m128i rgb = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, 3, 7, 11, 15);
  const __m128i shuffle = order == PixelOrder::kBgr ? bgr : rgb;
  std::int32_t x = 0;
  for (; x + 5 <= width; x += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, shuffle));
    out += 12;
  }
  return x;
}

// The pixels of a row it copied (the caller copies the rest byte by byte).
std::int32_t CopyPixelsFast(const std::uint32_t* src, std::uint8_t* out, std::int32_t width,
                            PixelOrder order) {
  static const bool ssse3 = __builtin_cpu_supports("ssse3");
  return ssse3 ? CopyPixelsSsse3(src, out, width, order) : 0;
}
#else
std::int32_t CopyPixelsFast(const std::uint32_t*, std::uint8_t*, std::int32_t, PixelOrder) {
  return 0;
}
#endif

// One 0x00RRGGBB pixel as three bytes in `order`.
void PutPixel(std::uint32_t p, std::uint8_t* out, PixelOrder order) {
  const auto blue = static_cast<std::uint8_t>(p);
  const auto green = static_cast<std::uint8_t>(p >> 8);
  const auto red = static_cast<std::uint8_t>(p >> 16);
  out[0] = order == PixelOrder::kBgr ? blue : red;
  out[1] = green;
  out[2] = order == PixelOrder::kBgr ? red : blue;
}

// ---------------------------------------------------------------------------
// The surface

// A raster on a Cairo image surface. A solid fill is not written at once:
// the surface notes the colour and marks every row pending, and a pending
// row is written with that colour only when a drawing first reaches it; rows
// that nothing draws on (most of a page) are read out as the fill colour
// without ever being stored. The raster's memory is the system's zeroed
// pages, touched only where rows are written.
class CairoRaster final : public CairoText<Surface> {
 public:
  CairoRaster(cairo_surface_t* surface, cairo_t* cr)
      : surface_(surface),
        cr_(cr),
        width_(cairo_image_surface_get_width(surface)),
        height_(cairo_image_surface_get_height(surface)),
        stride_(cairo_image_surface_get_stride(surface)),
        data_(cairo_image_surface_get_data(surface)),
        pending_(static_cast<std::size_t>(height_), 0) {}
  ~CairoRaster() override {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  CairoRaster(const CairoRaster&) = delete;
  CairoRaster& operator=(const CairoRaster&) = delete;

  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }

  bool Fill(Rgb color, FillPattern pattern) override {
    const std::uint32_t value = SwapRedBlue(color);
    if (pattern == FillPattern::kSolid) {
      fill_ = value;
      std::fill(pending_.begin(), pending_.end(), 1);
      return true;
    }
    Reach(0, height_);
    cairo_surface_flush(surface_);
    for (std::int32_t y = 0; y < height_; ++y) {
      std::uint32_t* row = Row(y);
      for (std::int32_t x = 0; x < width_; ++x) {
        if (OnHatch(pattern, x, y)) {
          row[x] = value;
        }
      }
    }
    cairo_surface_mark_dirty(surface_);
    return true;
  }

  bool StrokeLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                  std::int32_t width, Rgb color) override {
    if (width <= 1) {
      cairo_surface_flush(surface_);
      ThinLine(x0, y0, x1, y1, SwapRedBlue(color));
      cairo_surface_mark_dirty(surface_);
      return true;
    }
    // Far-off coordinates would overflow Cairo's fixed-point numbers: keep
    // the part of the segment near the raster. The cut ends lie so far
    // outside that their caps cannot reach it.
    const double w = std::min<double>(width, 4.0 * std::max(width_, height_));
    double ax = x0 + 0.5;
    double ay = y0 + 0.5;
    double bx = x1 + 0.5;
    double by = y1 + 0.5;
    const double margin = w + 2.0;
    if (!ClipSegment(ax, ay, bx, by, -margin, -margin, width_ + margin, height_ + margin)) {
      return true;
    }
    // The stroke stays within half its width (and a pixel for rounding) of
    // the segment.
    const double reach = w / 2 + 1;
    Reach(static_cast<std::int32_t>(std::floor(std::min(ay, by) - reach)),
          static_cast<std::int32_t>(std::ceil(std::max(ay, by) + reach)) + 1);
    cairo_save(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr_, w);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    SetSource(cr_, color);
    cairo_move_to(cr_, ax, ay);
    cairo_line_to(cr_, bx, by);
    cairo_stroke(cr_);
    cairo_restore(cr_);
    return cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
  }

  std::optional<std::int32_t> DrawTextRun(const TextRun& run) override {
    // Clipped text stays inside its clip; rotated text may go anywhere.
    if (run.clip) {
      Reach(run.clip->top, run.clip->bottom);
    } else {
      Reach(0, height_);
    }
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);  // for the cell fill; glyphs keep their own
    return ShowText(cr_, run);
  }

  bool CopyRows(std::int32_t top, std::int32_t count, std::uint8_t* dest, std::ptrdiff_t stride,
                PixelOrder order) const override {
    cairo_surface_flush(surface_);
    const auto pixelBytes = static_cast<std::size_t>(width_) * 3;
    const auto padBytes = static_cast<std::size_t>(stride < 0 ? -stride : stride) - pixelBytes;
    for (std::int32_t k = 0; k < count; ++k) {
      const std::int32_t y = top + k;
      std::uint8_t* out = dest + static_cast<std::ptrdiff_t>(k) * stride;
      if (pending_[static_cast<std::size_t>(y)] != 0) {
        FillRowBytes(out, order);
      } else {
        const std::uint32_t* src = Row(y);
        std::int32_t x = CopyPixelsFast(src, out, width_, order);
        for (; x < width_; ++x) {
          PutPixel(src[x], out + static_cast<std::size_t>(x) * 3, order);
        }
      }
      std::memset(out + pixelBytes, 0, padBytes);
    }
    return true;
  }

  Rgb Pixel(std::int32_t x, std::int32_t y) const override {
    if (pending_[static_cast<std::size_t>(y)] != 0) {
      return SwapRedBlue(fill_ & 0x00FFFFFFu);
    }
    cairo_surface_flush(surface_);
    return SwapRedBlue(Row(y)[x] & 0x00FFFFFFu);
  }

 private:
  std::uint32_t* Row(std::int32_t y) const {
    return reinterpret_cast<std::uint32_t*>(data_ + static_cast<std::ptrdiff_t>(y) * stride_);
  }

  // Writes the pending rows among top to bottom - 1 (clamped to the raster)
  // with the fill colour, before a drawing reaches them.
  void Reach(std::int32_t top, std::int32_t bottom) {
    top = std::max(top, 0);
    bottom = std::min(bottom, height_);
    bool flushed = false;
    for (std::int32_t y = top; y < bottom; ++y) {
      if (pending_[static_cast<std::size_t>(y)] != 0) {
        if (!flushed) {
          cairo_surface_flush(surface_);
          flushed = true;
        }
        WritePendingRow(y);
      }
    }
    if (flushed) {
      cairo_surface_mark_dirty(surface_);
    }
  }

  void WritePendingRow(std::int32_t y) {
    std::fill_n(Row(y), width_, fill_);
    pending_[static_cast<std::size_t>(y)] = 0;
  }

  // A row of the fill colour, as file bytes.
  void FillRowBytes(std::uint8_t* out, PixelOrder order) const {
    std::uint8_t pixel[3];
    PutPixel(fill_, pixel, order);
    if (pixel[0] == pixel[1] && pixel[1] == pixel[2]) {
      std::memset(out, pixel[0], static_cast<std::size_t>(width_) * 3);
      return;
    }
    for (std::int32_t x = 0; x < width_; ++x) {
      std::memcpy(out + static_cast<std::size_t>(x) * 3, pixel, 3);
    }
  }

  void ThinLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                std::uint32_t value) {
    if (y0 == y1) {
      // A level line, the page's writing lines: the pixels from the start
      // up to, not including, the end, stored as one run.
      const std::int64_t from = std::max<std::int64_t>(x1 > x0 ? x0 : x1 + 1, 0);
      const std::int64_t to = std::min<std::int64_t>(x1 > x0 ? x1 : x0 + 1, width_);
      if (y0 < 0 || y0 >= height_ || from >= to) {
        return;
      }
      const auto y = static_cast<std::int32_t>(y0);
      if (pending_[static_cast<std::size_t>(y)] != 0) {
        WritePendingRow(y);
      }
      std::fill(Row(y) + from, Row(y) + to, value);
      return;
    }
    WalkThinLine(x0, y0, x1, y1, width_, height_, [&](std::int32_t x, std::int32_t y) {
      if (pending_[static_cast<std::size_t>(y)] != 0) {
        WritePendingRow(y);
      }
      Row(y)[x] = value;
    });
  }

  cairo_surface_t* surface_;
  cairo_t* cr_;
  std::int32_t width_;
  std::int32_t height_;
  std::int32_t stride_;
  unsigned char* data_;                // the image surface's pixels, for its lifetime
  std::uint32_t fill_ = 0;             // the last solid fill, 0x00RRGGBB
  std::vector<std::uint8_t> pending_;  // per row: 1 while it holds the fill only in fill_
};

}  // namespace

std::unique_ptr<Surface> MakeRasterSurface(std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) {
    return nullptr;
  }
  // Cairo takes the raster's memory from calloc: zeroed pages from the
  // system, which cost nothing until a row is written.
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_t* cr = cairo_create(surface);
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return std::make_unique<CairoRaster>(surface, cr);
}

std::optional<std::int32_t> CairoFont::Advance(std::string_view text1252) const {
  return MeasureTextRun(*this, Cp1252ToUtf8(text1252));
}

std::optional<char16_t> CairoFont::MissingCharacter(std::string_view text1252) const {
  static const std::u16string unicode = Cp1252ToUtf16(AllCp1252Codes());
  for (const char c : text1252) {
    const auto code = static_cast<unsigned char>(c);
    const char16_t character = unicode[code];
    const bool control = character < 0x20 || (character >= 0x7F && character <= 0x9F);
    if (!control && !coverage_.codes[code]) return character;
  }
  return std::nullopt;
}

std::shared_ptr<PlatformFont> MakePlatformFont(const FontDescription& description) {
  FaceCache& cache = Faces();
  std::lock_guard<std::mutex> lock(cache.lock);
  cairo_font_face_t* face = ResolveFaceLocked(cache, description);
  if (face == nullptr) {
    return nullptr;
  }
  return MakeCairoFont(face, description, cache.emboldened[face]);
}

}  // namespace trevalda::canvas

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig loses a few hundred bytes while it parses its configuration
// on the first load; nothing can free them. Keep the leak checker of
// sanitized builds quiet about that, whether fontconfig is linked in or
// shared, and only about it.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:FcConfigParseAndLoad\n";
}
#endif
