#include "canvas/safe_save.h"

#include <optional>
#include <utility>

#include "text/error_text.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

// The result of a file replacement, as the save functions report it.
SaveResult ResultOf(const std::filesystem::path& fileName,
                    const std::optional<canvas::FileError>& failed) {
  if (!failed) return {};
  return SaveResult::Refused(fileName, canvas::FileStepName(failed->step), failed->error);
}

}  // namespace

SaveResult SaveResult::NothingToSave(const std::filesystem::path& fileName) {
  std::string why = "no se pudo grabar ";
  why.append(ShownPath(fileName));
  return SaveResult(Failure(std::move(why)), {}, {});
}

SaveResult SaveResult::Refused(const std::filesystem::path& fileName, std::string step,
                               std::error_code error) {
  std::string why = "no se pudo grabar ";
  why.append(ShownPath(fileName)).append(" (").append(step).append("): ").append(ErrorText(error));
  return SaveResult(Failure(std::move(why)), std::move(step), error);
}

SaveResult SaveFileContent(const std::filesystem::path& fileName,
                           const canvas::ContentSource& source) {
  return ResultOf(fileName, canvas::ReplaceFileContents(fileName, source));
}

SaveResult SaveFileBytes(const std::filesystem::path& fileName,
                         std::span<const std::uint8_t> bytes) {
  return ResultOf(fileName, canvas::ReplaceFileContents(fileName, bytes));
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
