// The GDI backend's font: an HFONT made from the font description. Shared
// by the raster backend (gdi_surface.cpp) and the document font reader
// (document_font_gdi.cpp); not part of the public interface. Windows only.
#pragma once

#include "canvas/surface.h"
#include "text/windows_api.h"

namespace trevalda::canvas {

class GdiFont final : public PlatformFont {
 public:
  explicit GdiFont(HFONT font) : font_(font) {}
  ~GdiFont() override { DeleteObject(font_); }
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;

  HFONT Handle() const { return font_; }

 private:
  HFONT font_;
};

}  // namespace trevalda::canvas
