// Saving a file without ever destroying what was there: the content is
// written to a temporary name in the same folder, flushed and renamed over
// the target. On any failure the temporary file is removed and an existing
// file keeps its content. The BMP, PNG and PDF files are all saved this way;
// the system calls behind it are in canvas/file_io.h.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>

#include "canvas/file_io.h"

namespace trevalda {

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

// Writes `source`'s content, piece by piece as it is made, as the file
// `fileName` the safe way. kSaved, or kFailed with the step and the
// system's reason.
SaveResult SaveFileContent(const std::filesystem::path& fileName,
                           const canvas::ContentSource& source);

// Writes `bytes` as the file `fileName` the safe way (temporary file,
// flush, rename). kSaved, or kFailed with the step and the system's reason.
SaveResult SaveFileBytes(const std::filesystem::path& fileName,
                         std::span<const std::uint8_t> bytes);

// The name a file saved as `fileName` gets: on Windows, which drops the
// dots and blanks a name ends with, "x.pdf." and "x.pdf " are saved as
// "x.pdf" (the folder part stays as given, only the last name changes);
// elsewhere `fileName` itself, where a trailing dot is part of the name.
std::filesystem::path SavedFileName(const std::filesystem::path& fileName);

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
