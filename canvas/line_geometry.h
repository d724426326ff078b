// Geometry shared by the raster backends: cutting a segment to a box (so
// that ends far off the raster neither overflow fixed-point coordinates nor
// cost time), the pixels of the thin line, and where the hatch lines fall.
#pragma once

#include <algorithm>
#include <cstdint>

#include "canvas/surface.h"

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

// The thin line from (x0, y0) towards (x1, y1): one pixel per step along the
// major axis, from the start pixel up to but not including the end pixel.
// The minor coordinate of step i is the start's plus i x minor / major
// rounded half up, computed directly so that only the steps on a
// width x height raster are visited, however far away the ends lie.
// `plot(x, y)` is called for each of those pixels.
template <typename Plot>
void WalkThinLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                  std::int32_t width, std::int32_t height, Plot&& plot) {
  __extension__ typedef __int128 Wide;  // the first step of a far-off line
  const std::int64_t dx = x1 - x0;
  const std::int64_t dy = y1 - y0;
  const std::int64_t adx = dx < 0 ? -dx : dx;
  const std::int64_t ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx >= ady;
  const std::int64_t steps = xMajor ? adx : ady;
  if (steps == 0) {
    return;
  }
  const std::int64_t majorStart = xMajor ? x0 : y0;
  const std::int64_t minorStart = xMajor ? y0 : x0;
  const std::int64_t majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const std::int64_t minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const std::int64_t minorDelta = xMajor ? ady : adx;
  const std::int64_t majorLimit = xMajor ? width : height;
  const std::int64_t minorLimit = xMajor ? height : width;

  // Steps whose major coordinate lies on the raster.
  std::int64_t first = 0;
  std::int64_t last = steps - 1;
  if (majorSign > 0) {
    first = std::max(first, -majorStart);
    last = std::min(last, majorLimit - 1 - majorStart);
  } else {
    first = std::max(first, majorStart - (majorLimit - 1));
    last = std::min(last, majorStart);
  }
  if (first > last) {
    return;
  }
  // minor(i) = minorStart + minorSign x floor((2 i minorDelta + steps) / (2 steps)),
  // kept as a quotient and remainder that grow by 2 minorDelta per step.
  // The first one needs more than 64 bits when the ends lie far away.
  const std::int64_t denominator = 2 * steps;
  const Wide start = static_cast<Wide>(2) * first * minorDelta + steps;
  auto quotient = static_cast<std::int64_t>(start / denominator);
  auto remainder = static_cast<std::int64_t>(start % denominator);
  for (std::int64_t i = first; i <= last; ++i) {
    const std::int64_t minor = minorStart + minorSign * quotient;
    if (minor >= 0 && minor < minorLimit) {
      const std::int64_t major = majorStart + majorSign * i;
      plot(static_cast<std::int32_t>(xMajor ? major : minor),
           static_cast<std::int32_t>(xMajor ? minor : major));
    }
    remainder += 2 * minorDelta;
    if (remainder >= denominator) {
      remainder -= denominator;
      ++quotient;
    }
  }
}

// Whether (x, y) lies on a line of the hatch `pattern`: lines on row 0 and
// column 0 of every 8 x 8 cell from the raster's top-left corner, the
// forward diagonal through (0, 0), the backward one through (7, 0). Every
// pixel is on the solid pattern.
inline bool OnHatch(FillPattern pattern, std::int32_t x, std::int32_t y) {
  const bool horizontal = (y & 7) == 0;
  const bool vertical = (x & 7) == 0;
  const bool forward = ((x - y) & 7) == 0;
  const bool backward = ((x + y) & 7) == 7;
  switch (pattern) {
    case FillPattern::kHorizontal:
      return horizontal;
    case FillPattern::kVertical:
      return vertical;
    case FillPattern::kForwardDiagonal:
      return forward;
    case FillPattern::kBackwardDiagonal:
      return backward;
    case FillPattern::kCross:
      return horizontal || vertical;
    case FillPattern::kDiagonalCross:
      return forward || backward;
    case FillPattern::kSolid:
      return true;
  }
  return false;
}

}  // namespace trevalda::canvas
