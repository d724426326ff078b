// Writing the attached canvas to an uncompressed 24-bit Windows bitmap.
//
// The file has the 14-byte file header and the 40-byte information header,
// then the rows bottom-up, 3 bytes per pixel (blue, green, red), each row
// padded with zero bytes to a multiple of 4. A 794 x 1123 canvas gives
// 2,677,286 bytes.
//
// Saving never destroys what was there: the file is written to a temporary
// name in the same folder, flushed and renamed over the target. On any
// failure the temporary file is removed and an existing file keeps its
// content.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace trevalda {

// The canvas raster in the file's own row layout.
struct Bitmap24 {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;         // bytes per row, width x 3 rounded up to 4
  std::vector<std::uint8_t> rows;  // stride x height bytes, bottom row first
};

enum class SaveStatus {
  kSaved,          // the whole file was written and renamed into place
  kNothingToSave,  // empty name or no attached canvas; no file touched
  kFailed,         // the system refused a step; `error` and `step` say which
};

struct SaveResult {
  SaveStatus status = SaveStatus::kFailed;
  std::error_code error;  // the system's reason when status is kFailed
  std::string step;       // what failed, in Spanish: "crear", "escribir", ...
  bool Saved() const { return status == SaveStatus::kSaved; }
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

// Writes `bytes` as the file `fileName` the safe way (temporary file,
// flush, rename). kSaved, or kFailed with the step and the system's reason.
SaveResult SaveFileBytes(const std::filesystem::path& fileName,
                         std::span<const std::uint8_t> bytes);

// Saving many files in a row: while batched, every save still renames a
// complete file into place, but only FlushSavedFiles waits for the disk, once
// for all of them. Process-wide; off by default.
void BatchDiskFlushes(bool batched);

// Waits until the files saved into `folder` (the current folder when empty)
// have reached the disk; the system's reason when it cannot.
std::error_code FlushSavedFiles(const std::filesystem::path& folder);

// A temporary file this old can only be a leftover of a killed save.
inline constexpr std::chrono::seconds kStaleTemporaryAge = std::chrono::hours(1);

// Removes, from `folder` (the current folder when empty), this program's
// temporary files that a killed save left behind: hidden names ending in
// ".trevalda-tmp-" and twelve letters or digits, regular files last written
// more than kStaleTemporaryAge ago (on POSIX also owned by this user; never a
// symbolic link). Returns how many; errors are ignored.
std::size_t RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

// Asks every save to stop (from a signal handler too: it only sets a flag).
// A save not yet renamed into place is abandoned at its next step, its
// temporary file removed and the target untouched; it fails with step and
// reason, the reason's message being "interrumpido". Later saves fail at once.
void StopSaving();
bool SavingStopped();

}  // namespace trevalda
