// Seams for tests: replace the raster backend with a test double.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "canvas/surface.h"

namespace trevalda::canvas {

using SurfaceFactory =
    std::function<std::unique_ptr<Surface>(std::int32_t width, std::int32_t height)>;

// Makes CreateCanvas build its raster with `factory`; an empty function
// restores the platform backend. Affects canvases created afterwards.
void SetSurfaceFactoryForTesting(SurfaceFactory factory);

}  // namespace trevalda::canvas
