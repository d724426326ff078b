// File replacement with Win32 calls: CreateFileW (CREATE_NEW), WriteFile,
// FlushFileBuffers, MoveFileExW with MOVEFILE_REPLACE_EXISTING.
#include "canvas/file_io.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

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

// Longest file name most file systems accept.
constexpr std::size_t kMaxNameLength = 255;
// Attempts at a free temporary name (one left over by a crashed process with
// the same process id may be in the way).
constexpr int kNameAttempts = 8;
// WriteFile takes at most this many bytes per call.
constexpr std::size_t kMaxWriteChunk = 0x40000000;

std::atomic<std::uint64_t> tempCounter{0};

std::error_code LastError() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

// ".<name>.tmp-<pid>-<n>" beside the target, never a name the program itself
// writes.
std::filesystem::path TempNameFor(const std::filesystem::path& target) {
  const std::wstring suffix = L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(tempCounter.fetch_add(1, std::memory_order_relaxed));
  std::wstring name = L"." + target.filename().wstring();
  if (name.size() + suffix.size() > kMaxNameLength) {
    name = L".trevalda";
  }
  return target.parent_path() / (name + suffix);
}

class TempFile {
 public:
  ~TempFile() {
    if (file_ != INVALID_HANDLE_VALUE) {
      CloseHandle(file_);
    }
    if (!path_.empty()) {
      DeleteFileW(path_.c_str());
    }
  }

  std::error_code Create(const std::filesystem::path& target) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      std::filesystem::path candidate = TempNameFor(target);
      // Written only by this process, shared with nobody until it is renamed.
      file_ = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file_ != INVALID_HANDLE_VALUE) {
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

  std::error_code Write(std::span<const std::uint8_t> bytes) {
    // One call for a page; larger blocks go in pieces WriteFile accepts.
    while (!bytes.empty()) {
      const auto chunk = static_cast<DWORD>(std::min(bytes.size(), kMaxWriteChunk));
      DWORD written = 0;
      if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr)) {
        return LastError();
      }
      if (written == 0) {
        return std::make_error_code(std::errc::io_error);
      }
      bytes = bytes.subspan(written);
    }
    return {};
  }

  std::error_code FlushAndClose() {
    if (!BatchedDiskFlush() && !FlushFileBuffers(file_)) {
      return LastError();
    }
    const HANDLE file = file_;
    file_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(file)) {
      return LastError();
    }
    return {};
  }

  std::error_code RenameTo(const std::filesystem::path& target) {
    if (!MoveFileExW(path_.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return LastError();
    }
    path_.clear();  // it is the target now
    return {};
  }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::filesystem::path path_;
};

}  // namespace

std::optional<FileError> ReplaceFileContents(const std::filesystem::path& target,
                                             std::span<const std::uint8_t> bytes) {
  TempFile temp;
  const auto attempt = [](FileStep step, auto&& action) -> std::optional<FileError> {
    std::error_code error = InjectedFileFault(step);
    if (!error) {
      error = action();
    }
    if (error) {
      return FileError{step, error};
    }
    return std::nullopt;
  };
  if (auto failed = attempt(FileStep::kCreate, [&] { return temp.Create(target); })) {
    return failed;
  }
  if (auto failed = attempt(FileStep::kWrite, [&] { return temp.Write(bytes); })) {
    return failed;
  }
  if (auto failed = attempt(FileStep::kFlush, [&] { return temp.FlushAndClose(); })) {
    return failed;
  }
  if (auto failed = attempt(FileStep::kRename, [&] { return temp.RenameTo(target); })) {
    return failed;
  }
  return std::nullopt;
}

FileBuffer::FileBuffer(std::size_t size)
    : data_(new (std::nothrow) std::uint8_t[size]), size_(size) {}

FileBuffer::~FileBuffer() { delete[] data_; }

// Windows offers no flush of a whole volume to ordinary users; batched files
// reach the disk when the system writes its cache back.
std::error_code FlushFileSystemOf(const std::filesystem::path& /*folder*/) { return {}; }

}  // namespace trevalda::canvas
