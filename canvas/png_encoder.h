// The platform's PNG encoder, fed one row at a time: libpng on Linux
// (png_file_libpng.cpp), the Windows Imaging Component on Windows
// (png_file_wic.cpp). Not part of the public interface.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "canvas/surface.h"

namespace trevalda::canvas {

// Fills `row` with row `y` of the image (0 is the top row): width x 3 bytes,
// the pixels in `order`. False when the row cannot be made.
using PngRowSource = std::function<bool(std::int32_t y, PixelOrder order, std::uint8_t* row)>;

// The pixel density every PNG file states (pHYs): 3780 pixels per metre,
// the canvas's 96 dots per inch, so that a viewer prints a page at its size.
inline constexpr std::uint32_t kPngPixelsPerMetre = 3780;
inline constexpr double kPngDotsPerInch = 96.0;

// The PNG file (8-bit RGB, no alpha, not interlaced, kPngPixelsPerMetre) of
// a width x height image whose rows come from `rows`, top to bottom, each
// asked for once.
// Empty when a row cannot be made or the encoder fails.
std::vector<std::uint8_t> EncodePngRows(std::int32_t width, std::int32_t height,
                                        const PngRowSource& rows);

// The platform's half of EncodePngRows (png_file.cpp checks the size and
// makes the buffers): encodes into `out`, with `row` (width x 3 bytes, made
// before the encoder starts, so libpng's longjmp crosses nothing that owns
// memory) as the buffer each row is made in. False when the encoder fails.
bool EncodePngWithPlatform(std::int32_t width, std::int32_t height, const PngRowSource& rows,
                           std::vector<std::uint8_t>& row, std::vector<std::uint8_t>& out);

}  // namespace trevalda::canvas
