// File replacement with POSIX calls: lstat, open(O_EXCL | O_NOFOLLOW), write,
// fdatasync, rename.
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "canvas/file_io.h"

namespace trevalda::canvas {
namespace {

// Attempts at a free temporary name: with 60 random bits a clash means
// someone is filling the folder with guesses.
constexpr int kNameAttempts = 100;

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// Whether `folder` (the current folder when empty), with its links
// followed, is /dev or /proc or inside them.
bool IsSystemFolder(const std::filesystem::path& folder) {
  char* real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
  if (real == nullptr) return false;  // then the file cannot be made there either
  const std::string_view path(real);
  const bool system =
      path == "/dev" || path.starts_with("/dev/") || path == "/proc" || path.starts_with("/proc/");
  ::free(real);
  return system;
}

// A symbolic link at the target is replaced itself, never written through,
// but only when it is one of the user's links to a regular file: a link of
// the system's (/dev/stdout) or one to a device, a folder or nothing is
// somebody's plumbing, not a page.
std::error_code LookAtLink(const std::filesystem::path& target) {
  if (IsSystemFolder(target.parent_path())) return MakeError(SaveRefusal::kSystemLink);
  struct stat pointed {};
  if (::stat(target.c_str(), &pointed) != 0) return MakeError(SaveRefusal::kBrokenLink);
  if (!S_ISREG(pointed.st_mode)) return MakeError(SaveRefusal::kLinkToSpecial);
  return {};
}

// What is at the target now, without following a symbolic link: its status
// in `found` (false when nothing is there), or the refusal when it is
// something a page must never replace.
std::error_code LookAtTarget(const std::filesystem::path& target, struct stat& info, bool& found) {
  found = ::lstat(target.c_str(), &info) == 0;
  if (!found || S_ISREG(info.st_mode)) return {};
  if (S_ISLNK(info.st_mode)) return LookAtLink(target);
  return MakeError(SaveRefusal::kNotRegularFile);
}

}  // namespace

std::uint64_t RandomBits() {
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, 0) == static_cast<ssize_t>(sizeof bits)) {
    return bits;
  }
  // No entropy to be had: still different for every call and process; the
  // exclusive create keeps a guessed name harmless.
  static std::atomic<std::uint64_t> counter{0};
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  bits = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
         (static_cast<std::uint64_t>(::getpid()) << 40) ^ counter.fetch_add(0x9E3779B97F4A7C15);
  bits ^= bits >> 31;
  bits *= 0xBF58476D1CE4E5B9;
  return bits ^ (bits >> 29);
}

TempFile::~TempFile() {
  if (handle_ >= 0) {
    ::close(Fd(handle_));
  }
  if (!path_.empty()) {
    ::unlink(path_.c_str());
  }
}

std::error_code TempFile::Create(const std::filesystem::path& target) {
  struct stat old {};
  bool found = false;
  if (const std::error_code refused = LookAtTarget(target, old, found)) {
    return refused;
  }
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::filesystem::path candidate = TempNameFor(target, RandomBits());
    // The mode 0666 goes through the umask.
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      handle_ = fd;
      path_ = std::move(candidate);
      // A replaced regular file keeps its permission bits, but never lends
      // set-user-ID, set-group-ID or sticky to the new page.
      if (found && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 0777);
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
  struct stat now {};
  bool found = false;
  if (const std::error_code refused = LookAtTarget(target, now, found)) {
    return refused;
  }
  if (::rename(path_.c_str(), target.c_str()) != 0) {
    return LastError();
  }
  path_.clear();  // it is the target now
  return {};
}

std::filesystem::path NameAsSaved(const std::filesystem::path& target) { return target; }

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

bool IsStaleTempFile(const std::filesystem::path& file, std::chrono::seconds age) {
  struct stat info {};
  if (::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    return false;
  }
  return ::time(nullptr) - info.st_mtime > age.count();
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
