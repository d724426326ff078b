// The Cairo backend's font: a Cairo scaled font over a FreeType face, with
// the metrics the raster lays text out by. Shared by the raster backend
// (cairo_surface.cpp) and the document font reader
// (document_font_freetype.cpp); not part of the public interface.
#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "canvas/surface.h"

namespace trevalda::canvas {

class CairoFont final : public PlatformFont {
 public:
  struct Layout {
    std::int32_t ascent = 0;           // from the top of the cell down to the baseline
    std::int32_t underlineOffset = 0;  // below the baseline
    std::int32_t strikeOffset = 0;     // above the baseline
    std::int32_t lineThickness = 1;
    bool underline = false;
    bool strikeOut = false;
    bool syntheticBold = false;  // fontconfig asked FreeType to thicken the outlines
  };

  // Which Windows-1252 codes the face has glyphs for, and its family name.
  struct Coverage {
    std::array<bool, 256> codes{};
    std::string family;
  };

  CairoFont(cairo_scaled_font_t* font, FontMetrics metrics, Layout layout, Coverage coverage)
      : font_(font), metrics_(metrics), layout_(layout), coverage_(std::move(coverage)) {}
  ~CairoFont() override { cairo_scaled_font_destroy(font_); }
  CairoFont(const CairoFont&) = delete;
  CairoFont& operator=(const CairoFont&) = delete;

  cairo_scaled_font_t* font() const { return font_; }
  const FontMetrics& metrics() const { return metrics_; }
  const Layout& layout() const { return layout_; }
  std::int32_t ascent() const { return layout_.ascent; }
  std::int32_t underlineOffset() const { return layout_.underlineOffset; }
  std::int32_t strikeOffset() const { return layout_.strikeOffset; }
  std::int32_t lineThickness() const { return layout_.lineThickness; }
  bool underline() const { return layout_.underline; }
  bool strikeOut() const { return layout_.strikeOut; }

  // How far the raster moves along after the Windows-1252 `text1252`,
  // whole pixels (the face's hinted advances); nothing on failure.
  std::optional<std::int32_t> Advance(std::string_view text1252) const;

  std::optional<char16_t> MissingCharacter(std::string_view text1252) const override;
  std::string FamilyName() const override { return coverage_.family; }

 private:
  cairo_scaled_font_t* font_;
  FontMetrics metrics_;
  Layout layout_;
  Coverage coverage_;
};

}  // namespace trevalda::canvas
