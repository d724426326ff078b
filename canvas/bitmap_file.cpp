// The 24-bit Windows bitmap file: encoding and saving the attached canvas.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

#include "canvas/bitmap_file.h"
#include "canvas/engine_internal.h"
#include "canvas/file_io.h"

namespace trevalda {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::uint16_t kBitsPerPixel = 24;

std::int32_t StrideFor(std::int32_t width) {
  return static_cast<std::int32_t>((static_cast<std::int64_t>(width) * 3 + 3) & ~std::int64_t{3});
}

void PutU16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    at[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// The file header and the information header, packed, little-endian.
void WriteHeaders(std::uint8_t* out, std::int32_t width, std::int32_t height, std::int32_t stride) {
  std::memset(out, 0, kHeadersSize);
  const std::uint64_t pixelBytes =
      static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height);
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out + 2, static_cast<std::uint32_t>(kHeadersSize + pixelBytes));
  // 6 and 8: reserved, 0.
  PutU32(out + 10, static_cast<std::uint32_t>(kHeadersSize));
  PutU32(out + 14, static_cast<std::uint32_t>(kInfoHeaderSize));
  PutU32(out + 18, static_cast<std::uint32_t>(width));
  PutU32(out + 22, static_cast<std::uint32_t>(height));  // positive: rows bottom-up
  PutU16(out + 26, 1);                                   // planes
  PutU16(out + 28, kBitsPerPixel);
  // 30 compression, 34 image size, 38 and 42 resolution, 46 and 50 colour
  // counts: all 0.
}

// Rows written per write call when a canvas is streamed to its file: about
// 75 KiB for a page, a buffer that stays in the processor's cache.
constexpr std::int32_t kRowsPerWrite = 32;

}  // namespace

bool CopyCanvasBitmap(Bitmap24& out) {
  bool copied = false;
  const bool attached = canvas::WithAttachedCanvas([&](const canvas::CanvasRecord& c) {
    const std::int32_t stride = StrideFor(c.width);
    out.width = c.width;
    out.height = c.height;
    out.stride = stride;
    out.rows.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(c.height));
    copied = c.surface->CopyBgr24BottomUp(out.rows.data(), stride);
  });
  return attached && copied;
}

std::vector<std::uint8_t> EncodeBitmapFile(const Bitmap24& bitmap) {
  const std::size_t pixelBytes = static_cast<std::size_t>(std::max(bitmap.stride, 0)) *
                                 static_cast<std::size_t>(std::max(bitmap.height, 0));
  const std::size_t available = std::min(pixelBytes, bitmap.rows.size());
  std::vector<std::uint8_t> file;
  file.reserve(kHeadersSize + pixelBytes);
  file.resize(kHeadersSize);
  WriteHeaders(file.data(), bitmap.width, bitmap.height, bitmap.stride);
  file.insert(file.end(), bitmap.rows.begin(),
              bitmap.rows.begin() + static_cast<std::ptrdiff_t>(available));
  file.resize(kHeadersSize + pixelBytes, 0);  // a short raster reads as black
  return file;
}

SaveResult SaveCanvasBitmap(const std::filesystem::path& fileName) {
  SaveResult result = SaveResult::NothingToSave(fileName);
  if (fileName.empty()) {
    return result;
  }
  // The canvas lock is held for the whole save, file writing included. The
  // rows are copied out a few at a time into a small buffer and written
  // from there, so the file never exists whole in memory.
  canvas::WithAttachedCanvas([&](const canvas::CanvasRecord& c) {
    const std::int32_t stride = StrideFor(c.width);
    const auto rowBytes = static_cast<std::size_t>(stride);
    std::vector<std::uint8_t> buffer;
    try {
      buffer.resize(kHeadersSize + rowBytes * static_cast<std::size_t>(kRowsPerWrite));
    } catch (const std::bad_alloc&) {
      result = SaveResult::Refused(fileName, "preparar",
                                   std::make_error_code(std::errc::not_enough_memory));
      return;
    }
    // The file's rows run bottom to top: file row r is raster row height - 1 - r.
    std::int32_t nextRow = 0;
    bool copyFailed = false;
    const canvas::ContentSource source = [&]() -> std::optional<std::span<const std::uint8_t>> {
      if (nextRow >= c.height) {
        return std::span<const std::uint8_t>();
      }
      std::size_t used = 0;
      if (nextRow == 0) {
        WriteHeaders(buffer.data(), c.width, c.height, stride);
        used = kHeadersSize;
      }
      const std::int32_t count = std::min(kRowsPerWrite, c.height - nextRow);
      // Rows nextRow .. nextRow + count - 1 of the file, laid out upwards
      // from the buffer's last row.
      const std::int32_t topRasterRow = c.height - nextRow - count;
      std::uint8_t* last = buffer.data() + used + rowBytes * static_cast<std::size_t>(count - 1);
      if (!c.surface->CopyRows(topRasterRow, count, last, -static_cast<std::ptrdiff_t>(stride),
                               canvas::PixelOrder::kBgr)) {
        copyFailed = true;
        return std::nullopt;
      }
      nextRow += count;
      return std::span<const std::uint8_t>(buffer.data(),
                                           used + rowBytes * static_cast<std::size_t>(count));
    };
    result = SaveFileContent(fileName, source);
    if (copyFailed) {
      result = SaveResult::Refused(fileName, "copiar", result.error());
    }
  });
  return result;
}

}  // namespace trevalda
