// Writing the attached canvas as a PNG image: the very pixels of the BMP
// file (8-bit red, green and blue, no alpha), losslessly compressed.
//
// Saved the same safe way as the BMP file: a temporary file in the same
// folder, flushed and renamed over the target; an existing file keeps its
// content on any failure. The encoder is the platform's: libpng on Linux,
// the Windows Imaging Component on Windows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "canvas/bitmap_file.h"

namespace trevalda {

// The PNG file for a raster; empty when it cannot be encoded (a malformed
// raster, no memory, no encoder).
std::vector<std::uint8_t> EncodePngFile(const Bitmap24& bitmap);

// The PNG file of the attached canvas, its rows read straight from the
// raster; empty when nothing is attached or it cannot be encoded.
std::vector<std::uint8_t> EncodeCanvasPng();

// Writes the attached canvas to `fileName` as PNG.
SaveResult SaveCanvasPng(const std::filesystem::path& fileName);

}  // namespace trevalda
