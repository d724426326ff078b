// File replacement with POSIX calls: open(O_EXCL), write, fdatasync, rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "canvas/file_io.h"

namespace trevalda::canvas {
namespace {

// Attempts at a free temporary name (one left over by a crashed process with
// the same process id may be in the way).
constexpr int kNameAttempts = 8;

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

TempFile::~TempFile() {
  if (handle_ >= 0) {
    ::close(Fd(handle_));
  }
  if (!path_.empty()) {
    ::unlink(path_.c_str());
  }
}

std::error_code TempFile::Create(const std::filesystem::path& target) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::filesystem::path candidate = TempNameFor(target, static_cast<unsigned long>(::getpid()));
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      handle_ = fd;
      path_ = std::move(candidate);
      // A replaced file keeps its permissions.
      struct stat old {};
      if (::stat(target.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
      }
      return {};
    }
    if (errno != EEXIST) {
      break;
    }
  }
  return LastError();
}

std::error_code TempFile::Write(std::span<const std::uint8_t> bytes) {
  // One write call; the loop only continues after an interruption or a
  // partial write, which regular files rarely see.
  while (!bytes.empty()) {
    const ssize_t written = ::write(Fd(handle_), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return LastError();
    }
    if (written == 0) {
      return std::make_error_code(std::errc::io_error);
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return {};
}

std::error_code TempFile::FlushAndClose() {
  if (!BatchedDiskFlush() && ::fdatasync(Fd(handle_)) != 0) {
    return LastError();
  }
  const int fd = Fd(handle_);
  handle_ = -1;
  if (::close(fd) != 0) {
    return LastError();
  }
  return {};
}

std::error_code TempFile::RenameTo(const std::filesystem::path& target) {
  if (::rename(path_.c_str(), target.c_str()) != 0) {
    return LastError();
  }
  path_.clear();  // it is the target now
  return {};
}

void SyncFolderOf(const std::filesystem::path& target) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) {
    folder = ".";
  }
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

std::error_code FlushFileSystemOf(const std::filesystem::path& folder) {
  const std::filesystem::path path = folder.empty() ? std::filesystem::path(".") : folder;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return LastError();
  }
  const int status = ::syncfs(fd);
  const std::error_code error = status == 0 ? std::error_code() : LastError();
  ::close(fd);
  return error;
}

}  // namespace trevalda::canvas
