// Replacing a file safely: the operating-system calls behind SaveCanvasBitmap.
//
// The new content goes to a temporary file in the target's folder, which is
// written (in one go, or piece by piece as it is made), flushed to the disk
// and renamed over the target. On any
// failure the temporary file is removed and the target keeps its content.
// Only a regular file, a missing name or a symbolic link to a regular file
// (the link itself is replaced, the file it points to is left alone) is ever
// replaced: a folder, a device, a FIFO or a socket at the target is refused
// and left as it is, and so is a link that leads to anything else or to
// nothing (a broken link, a loop) and, on Linux, any link in the system's
// folders /dev and /proc (/dev/stdout, /dev/fd/1), whatever it leads to.
// file_io_posix.cpp implements it with POSIX calls; a Windows version uses
// the Win32 file calls.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <system_error>

namespace trevalda::canvas {

enum class FileStep : std::uint8_t {
  kCreate,  // make the temporary file
  kWrite,   // write the content
  kFlush,   // flush it to the disk and close it
  kRename,  // rename it over the target
};

// The step's name as reported to the user, in Spanish: "crear", "escribir",
// "sincronizar", "renombrar".
const char* FileStepName(FileStep step);

// The program's own reasons for refusing a save, beside the system's.
enum class SaveRefusal {
  kNotRegularFile = 1,  // something that is not a regular file holds the name
  kStopped,             // StopSaving was called before the file was in place
  kSystemLink,          // a symbolic link in /dev or /proc holds the name
  kLinkToSpecial,       // a symbolic link to a folder, a device, a FIFO ...
  kBrokenLink,          // a symbolic link that leads to no file (or a loop)
};

// An error code of the program's own category; its message() is Spanish.
std::error_code MakeError(SaveRefusal refusal);

struct FileError {
  FileStep step = FileStep::kCreate;
  std::error_code error;
};

// Writes `bytes` to `target`, replacing it only once the new content is
// complete. Returns the failed step and the system's reason, or nothing when
// the file is in place. A new file gets the permissions the process's umask
// allows (0666 & ~umask); a replaced regular file's permission bits are kept,
// without set-user-ID, set-group-ID and sticky; nothing is taken from the
// file a symbolic link points to.
std::optional<FileError> ReplaceFileContents(const std::filesystem::path& target,
                                             std::span<const std::uint8_t> bytes);

// Content made piece by piece while it is written, so that a large file is
// never held whole in memory: each call returns the next piece (valid until
// the next call), an empty piece at the end, or nothing when the content
// cannot be made.
using ContentSource = std::function<std::optional<std::span<const std::uint8_t>>()>;

// As above, with the content written piece by piece from `source`. A source
// that fails is a failed write (std::errc::io_error) unless it says
// otherwise through its own state; the target stays untouched either way.
std::optional<FileError> ReplaceFileContents(const std::filesystem::path& target,
                                             const ContentSource& source);

// The platform's half of ReplaceFileContents: one temporary file beside the
// target, removed again when it was not renamed into place. Each call
// returns the system's reason when it fails.
class TempFile {
 public:
  TempFile() = default;
  ~TempFile();  // closes and removes the file unless it was renamed
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Never opens an existing file; refuses (kNotRegularFile, or the link
  // refusals) a target that may not be replaced (see the top of this file).
  std::error_code Create(const std::filesystem::path& target);
  std::error_code Write(std::span<const std::uint8_t> bytes);
  std::error_code FlushAndClose();  // to the disk, unless flushes are batched
  std::error_code RenameTo(const std::filesystem::path& target);  // the same refusal again

 private:
  std::intptr_t handle_ = -1;  // the platform's file handle; -1 when none
  std::filesystem::path path_;
};

// Temporary names: ".<target name>.trevalda-tmp-<12 letters and digits>",
// hidden, never a name the program itself writes, and recognisable so that
// one left over by a killed process can be found (".trevalda" stands for a
// target name too long to repeat). `random` supplies the letters; the
// platform's TempFile takes it from the system's random source, so nobody
// can guess the name in advance, and retries on a clash.
std::filesystem::path TempNameFor(const std::filesystem::path& target, std::uint64_t random);
bool IsTempName(const std::filesystem::path& fileName);

// 64 unpredictable bits from the system (getrandom on Linux,
// BCryptGenRandom on Windows); a mix of clock, process and counter if the
// system has none to give.
std::uint64_t RandomBits();

// Removes the temporary files of this program in `folder` (the current
// folder when empty) that a killed process left behind: names that
// IsTempName recognises, regular files (never a symbolic link), last written
// more than `age` ago, and on POSIX owned by the user the process runs as.
// Returns how many it removed; errors are ignored.
std::size_t RemoveStaleTempFiles(const std::filesystem::path& folder, std::chrono::seconds age);

// The platform's half of RemoveStaleTempFiles: whether one recognised name
// may go.
bool IsStaleTempFile(const std::filesystem::path& file, std::chrono::seconds age);

// Asks every save in the process to stop: a save not yet renamed into place
// is abandoned at its next step (its temporary file removed, the target
// untouched) and fails with kStopped; later saves fail at once. Only sets an
// atomic flag, so a signal handler may call it.
void StopSaving();
bool SavingStopped();
void ResumeSavingForTesting();  // undoes StopSaving

// The name the platform gives a file made as `target`: on Windows the last
// name without the dots and blanks it ends with (GetFullPathNameW's
// reading), the folder part as given; elsewhere `target`. Platform-specific.
std::filesystem::path NameAsSaved(const std::filesystem::path& target);

// Makes a completed rename durable where the platform needs that (best
// effort: the file is already in place).
void SyncFolderOf(const std::filesystem::path& target);

// Many files in a row: when batched, each file is still written to a
// temporary name and renamed into place complete, but the wait for the disk
// happens once, in FlushFileSystemOf, instead of after every file.
// Process-wide; off by default.
void SetBatchedDiskFlush(bool batched);
bool BatchedDiskFlush();

// Waits until everything written to the file system that holds `folder`
// has reached the disk. Platform-specific.
std::error_code FlushFileSystemOf(const std::filesystem::path& folder);

// Fault injection for tests: the hook is called before each step; a non-zero
// error code makes that step fail with it, as if the system had refused. An
// empty function removes the hook. Process-wide.
using FileFaultHook = std::function<std::error_code(FileStep)>;
void SetFileFaultHookForTesting(FileFaultHook hook);

// Called by the platform implementation before each step.
std::error_code InjectedFileFault(FileStep step);

}  // namespace trevalda::canvas
