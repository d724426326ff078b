// The platform-independent part of file replacement: the order of the steps,
// temporary names and their clean-up, step names, the stop request and the
// fault-injection hook.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "canvas/file_io.h"

namespace trevalda::canvas {
namespace {

struct HookState {
  std::mutex lock;
  FileFaultHook hook;
};

HookState& Hook() {
  static HookState& state = *new HookState;
  return state;
}

std::atomic<bool> batched{false};
std::atomic<bool> stopped{false};
static_assert(std::atomic<bool>::is_always_lock_free, "StopSaving runs in signal handlers");

// Longest file name most file systems accept.
constexpr std::size_t kMaxNameLength = 255;

constexpr std::string_view kTempMark = ".trevalda-tmp-";
constexpr std::size_t kTempLetters = 12;
constexpr std::string_view kTempAlphabet = "0123456789abcdefghijklmnopqrstuv";  // 5 bits each

class RefusalCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "trevalda"; }
  std::string message(int code) const override {
    switch (static_cast<SaveRefusal>(code)) {
      case SaveRefusal::kNotRegularFile:
        return "ese nombre ya lo tiene algo que no es un archivo normal";
      case SaveRefusal::kStopped:
        return "interrumpido";
      case SaveRefusal::kSystemLink:
        return "es un enlace simbólico del sistema (en /dev o /proc) y no se sustituye";
      case SaveRefusal::kLinkToSpecial:
        return "es un enlace simbólico a algo que no es un archivo normal y no se sustituye";
      case SaveRefusal::kBrokenLink:
        return "es un enlace simbólico que no lleva a ningún archivo y no se sustituye";
    }
    return "error desconocido";
  }
};

}  // namespace

std::error_code MakeError(SaveRefusal refusal) {
  static const RefusalCategory category;
  return {static_cast<int>(refusal), category};
}

std::filesystem::path TempNameFor(const std::filesystem::path& target, std::uint64_t random) {
  std::string suffix(kTempMark);
  for (std::size_t i = 0; i < kTempLetters; ++i, random >>= 5) {
    suffix += kTempAlphabet[random & 31];
  }
  std::filesystem::path name = ".";
  name += target.filename();
  if (name.native().size() + suffix.size() > kMaxNameLength) {
    name = ".trevalda";
  }
  name += suffix;
  return target.parent_path() / name;
}

bool IsTempName(const std::filesystem::path& fileName) {
  // The native characters (UTF-16 on Windows), so that no name needs a
  // conversion that could fail; the pattern is ASCII.
  const std::filesystem::path base = fileName.filename();
  const auto& name = base.native();
  const auto at = [&](std::size_t i) { return static_cast<char32_t>(name[i]); };
  if (name.size() < 1 + kTempMark.size() + kTempLetters || at(0) != '.') return false;
  const std::size_t mark = name.size() - kTempLetters - kTempMark.size();
  for (std::size_t i = 0; i < kTempMark.size(); ++i) {
    if (at(mark + i) != static_cast<char32_t>(kTempMark[i])) return false;
  }
  for (std::size_t i = name.size() - kTempLetters; i < name.size(); ++i) {
    if (at(i) > 0x7F || kTempAlphabet.find(static_cast<char>(at(i))) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

std::size_t RemoveStaleTempFiles(const std::filesystem::path& folder, std::chrono::seconds age) {
  std::size_t removed = 0;
  std::error_code error;
  std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, error);
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    const std::filesystem::path& file = entry->path();
    std::error_code ignored;
    if (IsTempName(file) && IsStaleTempFile(file, age) && std::filesystem::remove(file, ignored)) {
      ++removed;
    }
  }
  return removed;
}

void StopSaving() { stopped.store(true, std::memory_order_relaxed); }

bool SavingStopped() { return stopped.load(std::memory_order_relaxed); }

void ResumeSavingForTesting() { stopped.store(false, std::memory_order_relaxed); }

std::optional<FileError> ReplaceFileContents(const std::filesystem::path& target,
                                             std::span<const std::uint8_t> bytes) {
  bool given = false;
  return ReplaceFileContents(target, [&]() -> std::optional<std::span<const std::uint8_t>> {
    if (given) return std::span<const std::uint8_t>();
    given = true;
    return bytes;
  });
}

std::optional<FileError> ReplaceFileContents(const std::filesystem::path& target,
                                             const ContentSource& source) {
  TempFile temp;
  const auto attempt = [](FileStep step, auto&& action) -> std::optional<FileError> {
    std::error_code error = InjectedFileFault(step);
    if (!error && SavingStopped()) {
      error = MakeError(SaveRefusal::kStopped);
    }
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
  for (;;) {
    const std::optional<std::span<const std::uint8_t>> piece = source();
    if (!piece) {
      return FileError{FileStep::kWrite, std::make_error_code(std::errc::io_error)};
    }
    if (piece->empty()) {
      break;
    }
    if (auto failed = attempt(FileStep::kWrite, [&] { return temp.Write(*piece); })) {
      return failed;
    }
  }
  if (auto failed = attempt(FileStep::kFlush, [&] { return temp.FlushAndClose(); })) {
    return failed;
  }
  if (auto failed = attempt(FileStep::kRename, [&] { return temp.RenameTo(target); })) {
    return failed;
  }
  if (!BatchedDiskFlush()) {
    SyncFolderOf(target);
  }
  return std::nullopt;
}

void SetBatchedDiskFlush(bool on) { batched.store(on, std::memory_order_relaxed); }

bool BatchedDiskFlush() { return batched.load(std::memory_order_relaxed); }

const char* FileStepName(FileStep step) {
  switch (step) {
    case FileStep::kCreate:
      return "crear";
    case FileStep::kWrite:
      return "escribir";
    case FileStep::kFlush:
      return "sincronizar";
    case FileStep::kRename:
      return "renombrar";
  }
  return "";
}

void SetFileFaultHookForTesting(FileFaultHook hook) {
  HookState& state = Hook();
  std::lock_guard<std::mutex> lock(state.lock);
  state.hook = std::move(hook);
}

std::error_code InjectedFileFault(FileStep step) {
  HookState& state = Hook();
  FileFaultHook hook;
  {
    std::lock_guard<std::mutex> lock(state.lock);
    hook = state.hook;
  }
  return hook ? hook(step) : std::error_code();
}

}  // namespace trevalda::canvas
