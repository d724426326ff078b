// File replacement with Win32 calls: CreateFileW (CREATE_NEW), WriteFile,
// FlushFileBuffers, MoveFileExW with MOVEFILE_REPLACE_EXISTING.
#include "canvas/file_io.h"

#include "text/windows_api.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <system_error>

namespace trevalda::canvas {
namespace {

// Attempts at a free temporary name (one left over by a crashed process with
// the same process id may be in the way).
constexpr int kNameAttempts = 8;
// WriteFile takes at most this many bytes per call.
constexpr std::size_t kMaxWriteChunk = 0x40000000;

std::error_code LastError() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

HANDLE FileOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// INVALID_HANDLE_VALUE is -1, the TempFile's "no file".
std::intptr_t HandleOf(HANDLE file) { return reinterpret_cast<std::intptr_t>(file); }

}  // namespace

TempFile::~TempFile() {
  if (handle_ != -1) {
    CloseHandle(FileOf(handle_));
  }
  if (!path_.empty()) {
    DeleteFileW(path_.c_str());
  }
}

std::error_code TempFile::Create(const std::filesystem::path& target) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::filesystem::path candidate = TempNameFor(target, GetCurrentProcessId());
    // Written only by this process, shared with nobody until it is renamed.
    const HANDLE file = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = HandleOf(file);
      path_ = std::move(candidate);
      return {};
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      SetLastError(error);
      break;
    }
  }
  return LastError();
}

std::error_code TempFile::Write(std::span<const std::uint8_t> bytes) {
  // One call for a page; larger blocks go in pieces WriteFile accepts.
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min(bytes.size(), kMaxWriteChunk));
    DWORD written = 0;
    if (!WriteFile(FileOf(handle_), bytes.data(), chunk, &written, nullptr)) {
      return LastError();
    }
    if (written == 0) {
      return std::make_error_code(std::errc::io_error);
    }
    bytes = bytes.subspan(written);
  }
  return {};
}

std::error_code TempFile::FlushAndClose() {
  if (!BatchedDiskFlush() && !FlushFileBuffers(FileOf(handle_))) {
    return LastError();
  }
  const HANDLE file = FileOf(handle_);
  handle_ = -1;
  if (!CloseHandle(file)) {
    return LastError();
  }
  return {};
}

std::error_code TempFile::RenameTo(const std::filesystem::path& target) {
  if (!MoveFileExW(path_.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastError();
  }
  path_.clear();  // it is the target now
  return {};
}

// MOVEFILE_WRITE_THROUGH already waits for the rename to reach the disk.
void SyncFolderOf(const std::filesystem::path& /*target*/) {}

// Windows offers no flush of a whole volume to ordinary users; batched files
// reach the disk when the system writes its cache back.
std::error_code FlushFileSystemOf(const std::filesystem::path& /*folder*/) { return {}; }

}  // namespace trevalda::canvas
