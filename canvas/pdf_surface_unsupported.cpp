// The GDI backend draws rasters only; PDF documents are made where Cairo
// draws.
#include "canvas/surface.h"

namespace trevalda::canvas {

std::unique_ptr<DocumentSurface> MakePdfSurface(std::int32_t, std::int32_t, double, double) {
  return nullptr;
}

}  // namespace trevalda::canvas
