// The 24-bit bitmap file and saving it safely.
#include <gtest/gtest.h>

#include <chrono>
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
#include "canvas/file_io.h"
#include "test_support.h"
#include "text/error_text.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::ScopedCanvas;
using test::WriteAll;

constexpr Color kDarkRed = 0x00008B;
constexpr Color kBlue = 0xFF0000;
constexpr Color kRed = 0x0000FF;

class BitmapFileTest : public test::FolderTest {
 protected:
  BitmapFileTest() : FolderTest("bitmap_file") {}
  void TearDown() override {
    canvas::SetFileFaultHookForTesting(nullptr);
    FolderTest::TearDown();
  }
};

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

TEST_F(BitmapFileTest, WhitePageHasTheExactHeadersAndRows) {
  ScopedCanvas canvas(794, 1123);
  const fs::path file = dir() / "07-12-2026.bmp";
  const SaveResult result = SaveCanvasBitmap(file);
  ASSERT_TRUE(result.ok()) << result.step() << ": " << result.error().message();
  const std::vector<std::uint8_t> bytes = ReadAll(file);
  ASSERT_EQ(bytes.size(), 2677286u);

  EXPECT_EQ(bytes[0], 0x42);
  EXPECT_EQ(bytes[1], 0x4D);
  struct Field {
    const char* name;
    std::size_t offset;
    int size;
    std::uint32_t value;
  };
  const Field fields[] = {
      {"file size", 2, 4, 2677286}, {"reserved", 6, 2, 0},      {"reserved", 8, 2, 0},
      {"pixel offset", 10, 4, 54},  {"header size", 14, 4, 40}, {"width", 18, 4, 794},
      {"height", 22, 4, 1123},      {"planes", 26, 2, 1},       {"bits", 28, 2, 24},
      {"compression", 30, 4, 0},    {"image size", 34, 4, 0},   {"x resolution", 38, 4, 0},
      {"y resolution", 42, 4, 0},   {"colours", 46, 4, 0},      {"important", 50, 4, 0},
  };
  for (const Field& f : fields) {
    const std::uint32_t actual = f.size == 2 ? U16(bytes, f.offset) : U32(bytes, f.offset);
    EXPECT_EQ(actual, f.value) << f.name << " at " << f.offset;
  }

  constexpr std::size_t kStride = 2384;
  std::size_t wrong = 0;
  for (std::size_t i = 54; i < bytes.size(); ++i) {
    const std::size_t column = (i - 54) % kStride;
    const std::uint8_t expected = column < 2382 ? 0xFF : 0x00;
    wrong += bytes[i] != expected ? 1 : 0;
  }
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(Listing(), std::vector<std::string>{"07-12-2026.bmp"}) << "no temporary file is left";
}

TEST_F(BitmapFileTest, RowsAreBottomUpInBlueGreenRedOrder) {
  ScopedCanvas canvas(5, 3);
  SetPosition(0, 2);
  DrawLineTo(1, 2, kRed);  // bottom-left pixel
  SetPosition(0, 0);
  DrawLineTo(1, 0, kBlue);  // top-left pixel
  SetPosition(4, 1);
  DrawLineTo(5, 1, kDarkRed);  // right end of the middle row
  const fs::path file = dir() / "small.bmp";
  ASSERT_TRUE(SaveCanvasBitmap(file).ok());
  const std::vector<std::uint8_t> bytes = ReadAll(file);
  constexpr std::size_t kStride = 16;  // 15 bytes of pixels and 1 fill byte
  ASSERT_EQ(bytes.size(), 54 + 3 * kStride);
  const std::vector<std::uint8_t> bottom(bytes.begin() + 54, bytes.begin() + 54 + kStride);
  const std::vector<std::uint8_t> middle(bytes.begin() + 54 + kStride,
                                         bytes.begin() + 54 + 2 * kStride);
  const std::vector<std::uint8_t> top(bytes.begin() + 54 + 2 * kStride, bytes.end());
  EXPECT_EQ(bottom, (std::vector<std::uint8_t>{0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
  EXPECT_EQ(middle, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x8B, 0x00}));
  EXPECT_EQ(top, (std::vector<std::uint8_t>{0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
}

TEST_F(BitmapFileTest, StrideIsRoundedUpToFourBytes) {
  struct Case {
    std::int32_t width;
    std::int32_t stride;
  };
  for (const Case c : {Case{1, 4}, Case{2, 8}, Case{3, 12}, Case{4, 12}, Case{5, 16}, Case{8, 24},
                       Case{794, 2384}}) {
    SCOPED_TRACE(c.width);
    ScopedCanvas canvas(c.width, 2);
    Bitmap24 bitmap;
    ASSERT_TRUE(CopyCanvasBitmap(bitmap));
    EXPECT_EQ(bitmap.stride, c.stride);
    EXPECT_EQ(bitmap.rows.size(), static_cast<std::size_t>(2 * c.stride));
    for (std::int32_t row = 0; row < 2; ++row) {
      for (std::int32_t i = 0; i < c.stride; ++i) {
        const std::uint8_t expected = i < 3 * c.width ? 0xFF : 0x00;
        ASSERT_EQ(bitmap.rows[static_cast<std::size_t>(row * c.stride + i)], expected) << i;
      }
    }
  }
}

// The save streams the rows a few dozen at a time: a canvas of several
// pieces, filled with a colour whose bytes differ, then drawn on.
TEST_F(BitmapFileTest, EncodedFileMatchesTheSavedFile) {
  ScopedCanvas canvas(37, 75);
  ClearCanvas(MakeColor(10, 200, 30), 0);
  SetPenWidth(5);
  SetPosition(3, 5);
  DrawLineTo(30, 5, kDarkRed);
  Bitmap24 bitmap;
  ASSERT_TRUE(CopyCanvasBitmap(bitmap));
  const std::vector<std::uint8_t> encoded = EncodeBitmapFile(bitmap);
  const fs::path file = dir() / "page.bmp";
  ASSERT_TRUE(SaveCanvasBitmap(file).ok());
  EXPECT_EQ(ReadAll(file), encoded);
  EXPECT_EQ(encoded.size(), 54u + 75u * 112u);
  EXPECT_EQ(encoded[54], 30);  // the bottom row's first pixel: blue, green, red
  EXPECT_EQ(encoded[55], 200);
  EXPECT_EQ(encoded[56], 10);
}

TEST_F(BitmapFileTest, SavingReplacesAnOlderFileWhole) {
  ScopedCanvas canvas(4, 4);
  const fs::path file = dir() / "page.bmp";
  WriteAll(file, std::vector<std::uint8_t>(100000, 0xAB));
  ASSERT_TRUE(SaveCanvasBitmap(file).ok());
  EXPECT_EQ(fs::file_size(file), 54u + 4u * 12u) << "a longer older file is shortened";
  ASSERT_TRUE(SaveCanvasBitmap(file).ok());
  EXPECT_EQ(fs::file_size(file), 54u + 4u * 12u);
  EXPECT_EQ(Listing(), std::vector<std::string>{"page.bmp"});
}

// Failed with no step refused: there was nothing to save.
bool NothingSaved(const SaveResult& result) {
  return !result.ok() && result.step().empty() && !result.error();
}

TEST_F(BitmapFileTest, NothingAttachedOrNoNameTouchesNothing) {
  {
    ScopedCanvas canvas(4, 4);
    EXPECT_TRUE(NothingSaved(SaveCanvasBitmap("")));
  }
  // The canvas is released: nothing is attached any more.
  const SaveResult result = SaveCanvasBitmap(dir() / "page.bmp");
  EXPECT_TRUE(NothingSaved(result));
  std::string expected = "no se pudo grabar ";
  expected.append(ShownPath(dir() / "page.bmp"));
  EXPECT_EQ(result.message(), expected);
  AttachCanvas(0xDEAD);
  EXPECT_TRUE(NothingSaved(SaveCanvasBitmap(dir() / "page.bmp")));
  TakeCanvasError();
  EXPECT_TRUE(Listing().empty());
  Bitmap24 bitmap;
  EXPECT_FALSE(CopyCanvasBitmap(bitmap));
}

TEST_F(BitmapFileTest, MissingFolderIsReportedAndCreatesNothing) {
  ScopedCanvas canvas(4, 4);
  const SaveResult result = SaveCanvasBitmap(dir() / "no-such-folder" / "page.bmp");
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.step(), "crear");
  EXPECT_EQ(result.error(), std::errc::no_such_file_or_directory);
  std::string expected = "no se pudo grabar ";
  expected.append(ShownPath(dir() / "no-such-folder" / "page.bmp")).append(" (crear): ");
  expected.append(ErrorText(result.error()));  // the system's own words for it
  EXPECT_EQ(result.message(), expected);
  EXPECT_TRUE(Listing().empty());
}

// Refused before anything is written.
TEST_F(BitmapFileTest, TargetThatIsAFolderStaysAndLeavesNoTemporaryFile) {
  ScopedCanvas canvas(4, 4);
  fs::create_directory(dir() / "page.bmp");
  const SaveResult result = SaveCanvasBitmap(dir() / "page.bmp");
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.step(), "crear");
  EXPECT_EQ(result.error(), canvas::MakeError(canvas::SaveRefusal::kNotRegularFile));
  EXPECT_TRUE(fs::is_directory(dir() / "page.bmp"));
  EXPECT_EQ(Listing(), std::vector<std::string>{"page.bmp"});
}

// Temporary names cannot be guessed, yet a leftover is recognised.
TEST_F(BitmapFileTest, TemporaryNamesAreRandomHiddenAndRecognisable) {
  const fs::path target = dir() / "07-12-2026.bmp";
  const fs::path first = canvas::TempNameFor(target, canvas::RandomBits());
  const fs::path second = canvas::TempNameFor(target, canvas::RandomBits());
  EXPECT_NE(first, second);
  EXPECT_EQ(first.parent_path(), dir());
  EXPECT_EQ(first.filename().string().rfind(".07-12-2026.bmp.trevalda-tmp-", 0), 0u) << first;
  EXPECT_TRUE(canvas::IsTempName(first));
  EXPECT_TRUE(canvas::IsTempName(canvas::TempNameFor(dir() / std::string(300, 'x'), 0)));
  for (const char* other : {"07-12-2026.bmp", ".07-12-2026.bmp.tmp-123-0", ".x.trevalda-tmp-",
                            ".x.trevalda-tmp-0123456789ab~", "x.trevalda-tmp-0123456789ab",
                            ".x.trevalda-tmp-0123456789AB"}) {
    EXPECT_FALSE(canvas::IsTempName(other)) << other;
  }
}

// What a killed save left more than an hour ago goes; nothing else does.
TEST_F(BitmapFileTest, StaleTemporaryFilesOfThisProgramAreRemoved) {
  const auto hoursAgo = [](int hours) {
    return fs::file_time_type::clock::now() - std::chrono::hours(hours);
  };
  const fs::path stale = canvas::TempNameFor(dir() / "a.bmp", 1);
  const fs::path fresh = canvas::TempNameFor(dir() / "b.bmp", 2);
  const fs::path staleFolder = canvas::TempNameFor(dir() / "c.bmp", 3);
  const fs::path notOurs = dir() / ".d.bmp.tmp-1234-0";
  const fs::path unicode = dir() / fs::path(u8".日本.trevalda-tmp-0123456789a\u00F1");
  for (const fs::path& file : {stale, fresh, notOurs, unicode}) WriteAll(file, {1});
  fs::create_directory(staleFolder);
  for (const fs::path& file : {stale, notOurs, unicode}) fs::last_write_time(file, hoursAgo(2));
  std::error_code notOnWindows;  // which sets no folder's time this way
  fs::last_write_time(staleFolder, hoursAgo(2), notOnWindows);
  EXPECT_EQ(RemoveStaleTemporaryFiles(dir()), 1u);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir()), fs::directory_iterator()), 4);
}

TEST_F(BitmapFileTest, EveryFailedStepKeepsTheOldFileAndLeavesNoTemporaryFile) {
  struct Case {
    canvas::FileStep step;
    const char* name;
    std::errc error;
  };
  const Case cases[] = {
      {canvas::FileStep::kCreate, "crear", std::errc::too_many_files_open},
      {canvas::FileStep::kWrite, "escribir", std::errc::no_space_on_device},
      {canvas::FileStep::kFlush, "sincronizar", std::errc::io_error},
      {canvas::FileStep::kRename, "renombrar", std::errc::permission_denied},
  };
  ScopedCanvas canvas(16, 16);
  const fs::path file = dir() / "page.bmp";
  std::vector<std::uint8_t> old(3000);
  for (std::size_t i = 0; i < old.size(); ++i) {
    old[i] = static_cast<std::uint8_t>(i * 7);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteAll(file, old);
    int calls = 0;
    canvas::SetFileFaultHookForTesting([&](canvas::FileStep step) {
      ++calls;
      return step == c.step ? std::make_error_code(c.error) : std::error_code();
    });
    const SaveResult result = SaveCanvasBitmap(file);
    canvas::SetFileFaultHookForTesting(nullptr);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.step(), c.name);
    EXPECT_EQ(result.error(), c.error);
    EXPECT_EQ(calls, static_cast<int>(c.step) + 1) << "no step runs after the failed one";
    EXPECT_EQ(ReadAll(file), old) << "the old file is byte for byte intact";
    EXPECT_EQ(Listing(), std::vector<std::string>{"page.bmp"});
  }
  // And with no fault the same call replaces the file.
  ASSERT_TRUE(SaveCanvasBitmap(file).ok());
  EXPECT_EQ(fs::file_size(file), 54u + 16u * 48u);
}

TEST(EncodeBitmapFileTest, EncodesAnyRaster) {
  Bitmap24 bitmap;
  bitmap.width = 2;
  bitmap.height = 1;
  bitmap.stride = 8;
  bitmap.rows = {0x00, 0x00, 0x8B, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
  const std::vector<std::uint8_t> file = EncodeBitmapFile(bitmap);
  ASSERT_EQ(file.size(), 62u);
  EXPECT_EQ(U32(file, 2), 62u);
  EXPECT_EQ(U32(file, 18), 2u);
  EXPECT_EQ(U32(file, 22), 1u);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 54, file.end()), bitmap.rows);
}

}  // namespace
}  // namespace trevalda
