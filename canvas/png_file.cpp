// PNG files of a raster or of the attached canvas: the rows handed to the
// platform's encoder (png_encoder.h) one at a time, and saved the safe way.
#include "canvas/png_file.h"

#include <cstring>
#include <new>
#include <system_error>

#include "canvas/engine_internal.h"
#include "canvas/png_encoder.h"

namespace trevalda {

namespace canvas {

std::vector<std::uint8_t> EncodePngRows(std::int32_t width, std::int32_t height,
                                        const PngRowSource& rows) {
  if (width < 1 || height < 1) return {};
  std::vector<std::uint8_t> row;
  std::vector<std::uint8_t> png;
  try {
    row.resize(static_cast<std::size_t>(width) * 3);
    png.reserve(64 * 1024);
  } catch (const std::bad_alloc&) {
    return {};
  }
  if (!EncodePngWithPlatform(width, height, rows, row, png)) return {};
  return png;
}

}  // namespace canvas

std::vector<std::uint8_t> EncodePngFile(const Bitmap24& bitmap) {
  if (bitmap.width < 1 || bitmap.height < 1 || bitmap.stride < bitmap.width * 3 ||
      bitmap.rows.size() <
          static_cast<std::size_t>(bitmap.stride) * static_cast<std::size_t>(bitmap.height)) {
    return {};
  }
  const auto rowBytes = static_cast<std::size_t>(bitmap.width) * 3;
  return canvas::EncodePngRows(bitmap.width, bitmap.height,
                               [&](std::int32_t y, canvas::PixelOrder order, std::uint8_t* row) {
                                 // The bitmap's rows run bottom to top, blue-green-red.
                                 const std::uint8_t* in =
                                     bitmap.rows.data() +
                                     static_cast<std::size_t>(bitmap.height - 1 - y) *
                                         static_cast<std::size_t>(bitmap.stride);
                                 if (order == canvas::PixelOrder::kBgr) {
                                   std::memcpy(row, in, rowBytes);
                                   return true;
                                 }
                                 for (std::size_t i = 0; i < rowBytes; i += 3) {
                                   row[i] = in[i + 2];
                                   row[i + 1] = in[i + 1];
                                   row[i + 2] = in[i];
                                 }
                                 return true;
                               });
}

std::vector<std::uint8_t> EncodeCanvasPng() {
  std::vector<std::uint8_t> png;
  canvas::WithAttachedCanvas([&](const canvas::CanvasRecord& c) {
    const auto rowBytes = static_cast<std::ptrdiff_t>(c.width) * 3;
    png = canvas::EncodePngRows(c.width, c.height,
                                [&](std::int32_t y, canvas::PixelOrder order, std::uint8_t* row) {
                                  return c.surface->CopyRows(y, 1, row, rowBytes, order);
                                });
  });
  return png;
}

SaveResult SaveCanvasPng(const std::filesystem::path& fileName) {
  if (fileName.empty() || !canvas::FindAttachedCanvas()) {
    return SaveResult::NothingToSave(fileName);
  }
  const std::vector<std::uint8_t> png = EncodeCanvasPng();
  if (png.empty()) {
    return SaveResult::Refused(fileName, "codificar",
                               std::make_error_code(std::errc::not_enough_memory));
  }
  return SaveFileBytes(fileName, png);
}

}  // namespace trevalda
