// The platform-independent part of file replacement: the order of the steps,
// temporary names, step names and the fault-injection hook.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
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
std::atomic<std::uint64_t> tempCounter{0};

// Longest file name most file systems accept.
constexpr std::size_t kMaxNameLength = 255;

}  // namespace

std::filesystem::path TempNameFor(const std::filesystem::path& target, unsigned long process) {
  const std::string suffix = ".tmp-" + std::to_string(process) + "-" +
                             std::to_string(tempCounter.fetch_add(1, std::memory_order_relaxed));
  std::filesystem::path name = ".";
  name += target.filename();
  if (name.native().size() + suffix.size() > kMaxNameLength) {
    name = ".trevalda";
  }
  name += suffix;
  return target.parent_path() / name;
}

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
