// The 24-bit Windows bitmap file: encoding and saving the attached canvas.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <new>
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
  SaveResult result;
  result.status = SaveStatus::kNothingToSave;
  if (fileName.empty()) {
    return result;
  }
  // The canvas lock is held for the whole save, file writing included.
  canvas::WithAttachedCanvas([&](const canvas::CanvasRecord& c) {
    result.status = SaveStatus::kFailed;
    const std::int32_t stride = StrideFor(c.width);
    const canvas::FileBuffer file(kHeadersSize + static_cast<std::size_t>(stride) *
                                                     static_cast<std::size_t>(c.height));
    if (file.data() == nullptr) {
      result.error = std::make_error_code(std::errc::not_enough_memory);
      result.step = "preparar";
      return;
    }
    // Headers and rows go into one buffer, so the file is one write.
    WriteHeaders(file.data(), c.width, c.height, stride);
    if (!c.surface->CopyBgr24BottomUp(file.data() + kHeadersSize, stride)) {
      result.error = std::make_error_code(std::errc::io_error);
      result.step = "copiar";
      return;
    }
    result = SaveFileBytes(fileName, file.bytes());
  });
  return result;
}

SaveResult SaveFileBytes(const std::filesystem::path& fileName,
                         std::span<const std::uint8_t> bytes) {
  SaveResult result;
  if (const auto failed = canvas::ReplaceFileContents(fileName, bytes)) {
    result.status = SaveStatus::kFailed;
    result.error = failed->error;
    result.step = canvas::FileStepName(failed->step);
    return result;
  }
  result.status = SaveStatus::kSaved;
  return result;
}

void BatchDiskFlushes(bool batched) { canvas::SetBatchedDiskFlush(batched); }

std::error_code FlushSavedFiles(const std::filesystem::path& folder) {
  return canvas::FlushFileSystemOf(folder);
}

}  // namespace trevalda
