// How long one day page takes: drawing it, encoding the bitmap file and the
// whole page command (draw and save). The canvas and the fonts are made
// before timing starts, as the first page of a process makes them once.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/create_page.h"
#include "calendar/calendar.h"
#include "canvas/bitmap_file.h"
#include "canvas/canvas.h"
#include "page/day_page.h"

namespace trevalda {
namespace {

namespace fs = std::filesystem;

constexpr PageDate kSunday{6, 12, 2026};
constexpr PageDate kMonday{7, 12, 2026};

// The page canvas, drawn once so that every font it uses exists.
CanvasHandle ReadyCanvas() {
  static const CanvasHandle canvas = [] {
    const CanvasHandle handle = InitializePageCommand();
    PreparePage(handle);
    DrawDayPage(handle, kMonday);
    return handle;
  }();
  return canvas;
}

// A folder of its own under TREVALDA_BENCH_TMP (or the system's temporary
// folder), removed when the program ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* root = std::getenv("TREVALDA_BENCH_TMP");
    const fs::path base =
        root != nullptr && *root != '\0' ? fs::path(root) : fs::temp_directory_path();
    path_ = base / ("trevalda-bench-" + std::to_string(::getpid()));
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// PreparePage and DrawDayPage on the 794 x 1123 page canvas.
void BM_DrawDayPage(benchmark::State& state) {
  const CanvasHandle canvas = ReadyCanvas();
  const PageDate date = state.range(0) != 0 ? kSunday : kMonday;
  for (auto _ : state) {
    PreparePage(canvas);
    DrawDayPage(canvas, date);
  }
  state.SetLabel(state.range(0) != 0 ? "Sunday" : "weekday");
}
BENCHMARK(BM_DrawDayPage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Painting the page white: PreparePage alone, the floor of every page.
void BM_PreparePage(benchmark::State& state) {
  const CanvasHandle canvas = ReadyCanvas();
  for (auto _ : state) {
    PreparePage(canvas);
  }
}
BENCHMARK(BM_PreparePage)->Unit(benchmark::kMicrosecond);

// Copying the raster out in the file's row layout, into a buffer that is
// reused (no allocation in the loop).
void BM_CopyCanvasBitmap(benchmark::State& state) {
  const CanvasHandle canvas = ReadyCanvas();
  AttachCanvas(canvas);
  Bitmap24 bitmap;
  for (auto _ : state) {
    CopyCanvasBitmap(bitmap);
    benchmark::DoNotOptimize(bitmap.rows.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2677232);
}
BENCHMARK(BM_CopyCanvasBitmap)->Unit(benchmark::kMicrosecond);

// Copying the raster out and encoding the whole file in memory.
void BM_EncodeBitmap(benchmark::State& state) {
  const CanvasHandle canvas = ReadyCanvas();
  AttachCanvas(canvas);
  Bitmap24 bitmap;
  for (auto _ : state) {
    if (!CopyCanvasBitmap(bitmap)) {
      state.SkipWithError("no attached canvas");
      break;
    }
    std::vector<std::uint8_t> file = EncodeBitmapFile(bitmap);
    benchmark::DoNotOptimize(file.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2677286);
}
BENCHMARK(BM_EncodeBitmap)->Unit(benchmark::kMicrosecond);

// What the one-page budget covers: drawing the page and encoding its file.
void BM_DrawAndEncode(benchmark::State& state) {
  const CanvasHandle canvas = ReadyCanvas();
  Bitmap24 bitmap;
  for (auto _ : state) {
    PreparePage(canvas);
    DrawDayPage(canvas, kMonday);
    CopyCanvasBitmap(bitmap);
    std::vector<std::uint8_t> file = EncodeBitmapFile(bitmap);
    benchmark::DoNotOptimize(file.data());
  }
}
BENCHMARK(BM_DrawAndEncode)->Unit(benchmark::kMicrosecond);

// The whole page command: the date read and checked, the page drawn and
// saved (temporary file, flush to the disk, rename) into a scratch folder.
void BM_CreatePage(benchmark::State& state) {
  ReadyCanvas();
  static ScratchFolder folder;
  for (auto _ : state) {
    const PageOutcome outcome = WriteDayPageFromText("07/12/2026", folder.path());
    if (outcome.status != PageStatus::kSaved) {
      state.SkipWithError(outcome.message.c_str());
      break;
    }
  }
}
BENCHMARK(BM_CreatePage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace trevalda

BENCHMARK_MAIN();
