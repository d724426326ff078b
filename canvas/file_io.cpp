// The platform-independent part of file replacement: step names and the
// fault-injection hook.
#include <atomic>
#include <mutex>
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

}  // namespace

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
