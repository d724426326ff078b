#include "canvas/safe_save.h"

#include <optional>

namespace trevalda {
namespace {

// The result of a file replacement, as the save functions report it.
SaveResult ResultOf(const std::optional<canvas::FileError>& failed) {
  SaveResult result;
  if (failed) {
    result.status = SaveStatus::kFailed;
    result.error = failed->error;
    result.step = canvas::FileStepName(failed->step);
    return result;
  }
  result.status = SaveStatus::kSaved;
  return result;
}

}  // namespace

SaveResult SaveFileContent(const std::filesystem::path& fileName,
                           const canvas::ContentSource& source) {
  return ResultOf(canvas::ReplaceFileContents(fileName, source));
}

SaveResult SaveFileBytes(const std::filesystem::path& fileName,
                         std::span<const std::uint8_t> bytes) {
  return ResultOf(canvas::ReplaceFileContents(fileName, bytes));
}

std::filesystem::path SavedFileName(const std::filesystem::path& fileName) {
  return canvas::NameAsSaved(fileName);
}

void BatchDiskFlushes(bool batched) { canvas::SetBatchedDiskFlush(batched); }

std::error_code FlushSavedFiles(const std::filesystem::path& folder) {
  return canvas::FlushFileSystemOf(folder);
}

std::size_t RemoveStaleTemporaryFiles(const std::filesystem::path& folder) {
  return canvas::RemoveStaleTempFiles(folder, kStaleTemporaryAge);
}

void StopSaving() { canvas::StopSaving(); }

bool SavingStopped() { return canvas::SavingStopped(); }

}  // namespace trevalda
