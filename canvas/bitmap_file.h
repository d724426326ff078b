// Writing the attached canvas to an uncompressed 24-bit Windows bitmap.
//
// The file has the 14-byte file header and the 40-byte information header,
// then the rows bottom-up, 3 bytes per pixel (blue, green, red), each row
// padded with zero bytes to a multiple of 4. A 794 x 1123 canvas gives
// 2,677,286 bytes.
//
// The file is saved the safe way (canvas/safe_save.h): an existing file
// keeps its content until the new one is complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "canvas/safe_save.h"

namespace trevalda {

// The canvas raster in the file's own row layout.
struct Bitmap24 {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;         // bytes per row, width x 3 rounded up to 4
  std::vector<std::uint8_t> rows;  // stride x height bytes, bottom row first
};

// Copies the attached canvas into `out`. Returns false when nothing is
// attached.
bool CopyCanvasBitmap(Bitmap24& out);

// The whole file (headers and rows) for a raster.
std::vector<std::uint8_t> EncodeBitmapFile(const Bitmap24& bitmap);

// Writes the attached canvas to `fileName` (replacing an existing file only
// once the new one is complete). The rows go to the file a few at a time,
// straight from the canvas.
SaveResult SaveCanvasBitmap(const std::filesystem::path& fileName);

}  // namespace trevalda
