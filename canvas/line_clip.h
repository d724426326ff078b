// Cutting a line segment to a box before it is handed to a rasteriser, so
// that ends far off the raster neither overflow fixed-point coordinates nor
// cost time. Shared by the raster backends.
#pragma once

#include <algorithm>

namespace trevalda::canvas {

// Clips the segment to `box` (Liang-Barsky). False when nothing is left.
inline bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double minX, double minY,
                        double maxX, double maxY) {
  double t0 = 0.0;
  double t1 = 1.0;
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - minX, maxX - x0, y0 - minY, maxY - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) {
        return false;
      }
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) {
      return false;
    }
  }
  const double sx = x0;
  const double sy = y0;
  x0 = sx + t0 * dx;
  y0 = sy + t0 * dy;
  x1 = sx + t1 * dx;
  y1 = sy + t1 * dy;
  return true;
}

}  // namespace trevalda::canvas
