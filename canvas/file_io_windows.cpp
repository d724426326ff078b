// File replacement with Win32 calls: CreateFileW (CREATE_NEW), WriteFile,
// FlushFileBuffers, MoveFileExW with MOVEFILE_REPLACE_EXISTING; names from
// BCryptGenRandom.
#include "canvas/file_io.h"

#include "text/windows_api.h"

#include <bcrypt.h>  // after <windows.h>, which it needs

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwctype>
#include <filesystem>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace trevalda::canvas {
namespace {

// Attempts at a free temporary name: with 60 random bits a clash means
// someone is filling the folder with guesses.
constexpr int kNameAttempts = 100;
// WriteFile takes at most this many bytes per call.
constexpr std::size_t kMaxWriteChunk = 0x40000000;

std::error_code LastError() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

HANDLE FileOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// INVALID_HANDLE_VALUE is -1, the TempFile's "no file".
std::intptr_t HandleOf(HANDLE file) { return reinterpret_cast<std::intptr_t>(file); }

// The names Windows keeps for devices in every folder, whatever the
// extension and case: CON, PRN, AUX, NUL, COM1-9, LPT1-9 (and the
// superscript digits), CONIN$, CONOUT$. Trailing blanks and dots do not
// count.
bool IsDeviceName(const std::filesystem::path& target) {
  std::wstring name = target.filename().wstring();
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) name.pop_back();
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (name == device) return true;
  }
  const std::wstring_view digits = L"123456789\u00B9\u00B2\u00B3";
  return name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT")) &&
         digits.find(name[3]) != std::wstring_view::npos;
}

// What a name leads to: a file on a disk (not a folder), or not.
struct Found {
  bool opened = false;
  bool file = false;  // on a disk and not a folder
  bool link = false;  // a reparse point: a symbolic link, a junction ...
};

Found LookAt(const std::filesystem::path& target, DWORD flags) {
  const HANDLE handle = CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  Found found;
  found.opened = true;
  found.link = known && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  found.file = GetFileType(handle) == FILE_TYPE_DISK &&
               !(known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  CloseHandle(handle);
  return found;
}

// Refuses a target that is not a file on a disk: a device name (above), or
// something there that is a folder, a pipe or another device. A symbolic
// link (any reparse point) is replaced itself, and only when it leads to a
// file: one that leads to a folder, a device or nothing is refused.
std::error_code LookAtTarget(const std::filesystem::path& target) {
  if (IsDeviceName(target)) {
    return MakeError(SaveRefusal::kNotRegularFile);
  }
  const Found itself = LookAt(target, FILE_FLAG_OPEN_REPARSE_POINT);
  if (!itself.opened) {
    return {};  // missing, or out of reach: the create or the rename says why
  }
  if (!itself.link) {
    return itself.file ? std::error_code() : MakeError(SaveRefusal::kNotRegularFile);
  }
  const Found led = LookAt(target, 0);
  if (!led.opened) return MakeError(SaveRefusal::kBrokenLink);
  if (!led.file) return MakeError(SaveRefusal::kLinkToSpecial);
  return {};
}

}  // namespace

std::uint64_t RandomBits() {
  std::uint64_t bits = 0;
  if (BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&bits), sizeof bits,
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0) {
    return bits;
  }
  // No entropy to be had: still different for every call and process; the
  // exclusive create keeps a guessed name harmless.
  static std::atomic<std::uint64_t> counter{0};
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  bits = static_cast<std::uint64_t>(now.QuadPart) ^
         (static_cast<std::uint64_t>(GetCurrentProcessId()) << 40) ^
         counter.fetch_add(0x9E3779B97F4A7C15);
  bits ^= bits >> 31;
  bits *= 0xBF58476D1CE4E5B9;
  return bits ^ (bits >> 29);
}

TempFile::~TempFile() {
  if (handle_ != -1) {
    CloseHandle(FileOf(handle_));
  }
  if (!path_.empty()) {
    DeleteFileW(path_.c_str());
  }
}

std::error_code TempFile::Create(const std::filesystem::path& target) {
  if (const std::error_code refused = LookAtTarget(target)) {
    return refused;
  }
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::filesystem::path candidate = TempNameFor(target, RandomBits());
    // Written only by this process, shared with nobody until it is renamed;
    // CREATE_NEW never opens what is already there, a link included.
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
  if (const std::error_code refused = LookAtTarget(target)) {
    return refused;
  }
  if (!MoveFileExW(path_.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastError();
  }
  path_.clear();  // it is the target now
  return {};
}

std::filesystem::path NameAsSaved(const std::filesystem::path& target) {
  const std::wstring& typed = target.native();
  const DWORD needed = GetFullPathNameW(typed.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return target;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(typed.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return target;
  full.resize(length);
  // Only what Windows drops: the full path's last name must be the typed
  // one without its trailing dots and blanks.
  const std::wstring saved = std::filesystem::path(full).filename().native();
  const std::wstring typedName = target.filename().native();
  if (saved.empty() || saved.size() >= typedName.size() || !typedName.starts_with(saved) ||
      typedName.find_first_not_of(L". ", saved.size()) != std::wstring::npos) {
    return target;
  }
  return typed.substr(0, typed.size() - (typedName.size() - saved.size()));
}

// MOVEFILE_WRITE_THROUGH already waits for the rename to reach the disk.
void SyncFolderOf(const std::filesystem::path& /*target*/) {}

// Owners are not compared here: the folder's permissions decide who may
// remove what.
bool IsStaleTempFile(const std::filesystem::path& file, std::chrono::seconds age) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error))) {
    return false;
  }
  const auto written = std::filesystem::last_write_time(file, error);
  return !error && std::filesystem::file_time_type::clock::now() - written > age;
}

// Windows offers no flush of a whole volume to ordinary users; batched files
// reach the disk when the system writes its cache back.
std::error_code FlushFileSystemOf(const std::filesystem::path& /*folder*/) { return {}; }

}  // namespace trevalda::canvas
