// Saving where POSIX rules apply: permission bits, a file standing in for a
// folder, and the superuser's exemption from permissions.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "canvas/bitmap_file.h"
#include "canvas/canvas.h"
#include "test_support.h"

namespace trevalda {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::ScopedCanvas;
using test::WriteAll;

class BitmapFilePosixTest : public test::FolderTest {
 protected:
  BitmapFilePosixTest() : FolderTest("bitmap_file_posix") {}
};

TEST_F(BitmapFilePosixTest, FolderThatIsAFileIsReported) {
  ScopedCanvas canvas(4, 4);
  WriteAll(dir() / "not-a-folder", {1, 2, 3});
  const SaveResult result = SaveCanvasBitmap(dir() / "not-a-folder" / "page.bmp");
  EXPECT_EQ(result.status, SaveStatus::kFailed);
  EXPECT_EQ(result.error, std::errc::not_a_directory);
  EXPECT_EQ(ReadAll(dir() / "not-a-folder"), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(BitmapFilePosixTest, UnwritableFolderIsReportedAndTheOldFileKept) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "permissions do not bind the superuser";
  }
  ScopedCanvas canvas(4, 4);
  const std::vector<std::uint8_t> old(500, 0x5A);
  WriteAll(dir() / "page.bmp", old);
  fs::permissions(dir(), fs::perms::owner_read | fs::perms::owner_exec);
  const SaveResult result = SaveCanvasBitmap(dir() / "page.bmp");
  fs::permissions(dir(), fs::perms::owner_all);
  EXPECT_EQ(result.status, SaveStatus::kFailed);
  EXPECT_EQ(result.step, "crear");
  EXPECT_EQ(result.error, std::errc::permission_denied);
  EXPECT_EQ(ReadAll(dir() / "page.bmp"), old);
}

TEST_F(BitmapFilePosixTest, ReplacedFileKeepsItsPermissions) {
  ScopedCanvas canvas(4, 4);
  const fs::path file = dir() / "page.bmp";
  WriteAll(file, {1});
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(SaveCanvasBitmap(file).Saved());
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace trevalda
