// What several test files share: a canvas attached for the length of a test,
// a fresh folder per test, and whole-file reads and writes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "canvas/bitmap_file.h"
#include "canvas/canvas.h"

namespace trevalda::test {

namespace fs = std::filesystem;

// A canvas attached to the calling thread and painted, released afterwards.
class ScopedCanvas {
 public:
  ScopedCanvas(std::int32_t width, std::int32_t height, Color clear = 0xFFFFFF)
      : handle_(CreateCanvas(width, height)) {
    AttachCanvas(handle_);
    ClearCanvas(clear, 0);
  }
  ~ScopedCanvas() { ReleaseCanvas(handle_); }
  ScopedCanvas(const ScopedCanvas&) = delete;
  ScopedCanvas& operator=(const ScopedCanvas&) = delete;
  CanvasHandle handle() const { return handle_; }

 private:
  CanvasHandle handle_;
};

// The attached canvas's state (a test failure when nothing is attached).
inline CanvasState State() {
  CanvasState state;
  EXPECT_TRUE(ReadCanvasState(state));
  return state;
}

// The attached canvas's raster in the file's row layout.
inline std::vector<std::uint8_t> Pixels() {
  Bitmap24 bitmap;
  EXPECT_TRUE(CopyCanvasBitmap(bitmap));
  return bitmap.rows;
}

inline std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// An empty folder <TREVALDA_TEST_TMP or the system's temp>/<name>-<pid>.
inline fs::path FreshFolder(const std::string& name) {
  const char* root = std::getenv("TREVALDA_TEST_TMP");
  const fs::path base =
      root != nullptr && *root != '\0' ? fs::path(root) : fs::temp_directory_path();
  const fs::path dir = base / (name + "-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// The names in a folder, sorted.
inline std::vector<std::string> Listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A fresh folder for each test of a fixture, named after the test and
// removed afterwards.
class FolderTest : public ::testing::Test {
 protected:
  explicit FolderTest(std::string prefix) : prefix_(std::move(prefix)) {}

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = FreshFolder(prefix_ + "-" + info->name());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }

  const fs::path& dir() const { return dir_; }
  std::vector<std::string> Listing() const { return test::Listing(dir_); }

 private:
  std::string prefix_;
  fs::path dir_;
};

}  // namespace trevalda::test
