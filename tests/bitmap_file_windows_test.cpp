// Saving where Windows rules apply: device names such as NUL and CON, which
// the system's file calls open in any folder, are never replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "canvas/bitmap_file.h"
#include "canvas/file_io.h"
#include "test_support.h"

namespace trevalda {
namespace {

namespace fs = std::filesystem;

class BitmapFileWindowsTest : public test::FolderTest {
 protected:
  BitmapFileWindowsTest() : FolderTest("bitmap_file_windows") {}
};

TEST_F(BitmapFileWindowsTest, DeviceNamesAreRefusedAndNothingIsLeft) {
  const std::vector<std::uint8_t> bytes(100, 7);
  for (const char* device :
       {"NUL", "CON", "nul", "COM1", "LPT1", "AUX", "CONOUT$", "prn.pdf", "con .bmp"}) {
    const SaveResult result = SaveFileBytes(dir() / device, bytes);
    EXPECT_FALSE(result.ok()) << device;
    EXPECT_EQ(result.error(), canvas::MakeError(canvas::SaveRefusal::kNotRegularFile)) << device;
  }
  EXPECT_TRUE(Listing().empty());
  EXPECT_TRUE(SaveFileBytes(dir() / "page.bmp", bytes).ok());
}

}  // namespace
}  // namespace trevalda
