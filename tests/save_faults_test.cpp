// Saving under failure: whichever system call of the save fails, the user is
// told, an existing page keeps every byte and no temporary file is left
// behind. Driven through the page command (what both front ends call) and
// through SaveCanvasBitmap on a full page, with the file-call fault hook.
//
// The failing call is chosen by its position in the sequence a clean save
// makes (create, every write, flush, rename), so a save that writes in
// several pieces is covered piece by piece.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "app/create_page.h"
#include "canvas/bitmap_file.h"
#include "canvas/canvas.h"
#include "canvas/file_io.h"
#include "page/day_page.h"
#include "test_support.h"

namespace trevalda {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::WriteAll;

constexpr std::uintmax_t kPageFileSize = 2677286;

// Some bytes no page ever has, so a replaced file is told at once.
std::vector<std::uint8_t> OldContent() {
  std::vector<std::uint8_t> old(4099);
  for (std::size_t i = 0; i < old.size(); ++i) {
    old[i] = static_cast<std::uint8_t>(i * 31 + 7);
  }
  return old;
}

// Records the steps the save asks the hook about and fails the call at
// `failAt` (counting from 0; -1 fails none) with `error`.
class FaultScript {
 public:
  FaultScript(int failAt, std::error_code error) : failAt_(failAt), error_(error) {
    canvas::SetFileFaultHookForTesting([this](canvas::FileStep step) {
      const int call = static_cast<int>(steps_.size());
      steps_.push_back(step);
      return call == failAt_ ? error_ : std::error_code();
    });
  }
  ~FaultScript() { canvas::SetFileFaultHookForTesting(nullptr); }
  FaultScript(const FaultScript&) = delete;
  FaultScript& operator=(const FaultScript&) = delete;

  const std::vector<canvas::FileStep>& steps() const { return steps_; }

 private:
  int failAt_;
  std::error_code error_;
  std::vector<canvas::FileStep> steps_;
};

class SaveFaultsTest : public test::FolderTest {
 protected:
  SaveFaultsTest() : FolderTest("save_faults") {}
  void TearDown() override {
    canvas::SetFileFaultHookForTesting(nullptr);
    canvas::ResumeSavingForTesting();
    FolderTest::TearDown();
  }

  // The steps of a clean save of the page, in order (the page is saved into
  // a folder of its own and removed again).
  std::vector<canvas::FileStep> CleanSteps() {
    const fs::path scratch = dir() / "clean";
    fs::create_directories(scratch);
    std::vector<canvas::FileStep> steps;
    {
      FaultScript script(-1, {});
      const PageOutcome outcome = WriteDayPageFromText("07/12/2026", scratch);
      EXPECT_EQ(outcome.status, PageStatus::kSaved) << outcome.message;
      steps = script.steps();
    }
    fs::remove_all(scratch);
    return steps;
  }

  // What a page written with no fault holds.
  std::vector<std::uint8_t> ReferencePage() {
    const fs::path scratch = dir_ / "reference";
    fs::create_directories(scratch);
    const PageOutcome outcome = WriteDayPageFromText("07/12/2026", scratch);
    EXPECT_EQ(outcome.status, PageStatus::kSaved) << outcome.message;
    std::vector<std::uint8_t> bytes = ReadAll(scratch / "07-12-2026.bmp");
    fs::remove_all(scratch);
    return bytes;
  }

 private:
  fs::path dir_;
};

TEST_F(SaveFaultsTest, CleanSaveMakesEveryStepInOrder) {
  const std::vector<canvas::FileStep> steps = CleanSteps();
  ASSERT_GE(steps.size(), 4u);
  EXPECT_EQ(steps.front(), canvas::FileStep::kCreate);
  for (std::size_t i = 1; i + 2 < steps.size(); ++i) {
    EXPECT_EQ(steps[i], canvas::FileStep::kWrite) << "call " << i;
  }
  EXPECT_EQ(steps[steps.size() - 2], canvas::FileStep::kFlush);
  EXPECT_EQ(steps.back(), canvas::FileStep::kRename);
}

// The page command over an existing page: every call of the save, failed in
// turn with several reasons.
TEST_F(SaveFaultsTest, PageCommandKeepsTheOldPageWhateverCallFails) {
  const std::vector<canvas::FileStep> steps = CleanSteps();
  ASSERT_FALSE(steps.empty());
  const std::errc reasons[] = {std::errc::no_space_on_device, std::errc::io_error,
                               std::errc::permission_denied, std::errc::read_only_file_system};
  const fs::path page = dir() / "07-12-2026.bmp";
  const std::vector<std::uint8_t> old = OldContent();
  for (std::size_t failAt = 0; failAt < steps.size(); ++failAt) {
    for (const std::errc reason : reasons) {
      const std::string stepName = canvas::FileStepName(steps[failAt]);
      SCOPED_TRACE("call " + std::to_string(failAt) + " (" + stepName + "), " +
                   std::make_error_code(reason).message());
      WriteAll(page, old);
      PageOutcome outcome;
      std::vector<canvas::FileStep> seen;
      {
        FaultScript script(static_cast<int>(failAt), std::make_error_code(reason));
        outcome = WriteDayPageFromText("07/12/2026", dir());
        seen = script.steps();
      }
      EXPECT_EQ(outcome.status, PageStatus::kNotSaved);
      EXPECT_FALSE(outcome.save.ok());
      EXPECT_EQ(outcome.save.step(), stepName);
      EXPECT_EQ(outcome.save.error(), reason);
      EXPECT_EQ(outcome.file, page);
      EXPECT_NE(outcome.message.find("No se pudo grabar"), std::string::npos) << outcome.message;
      EXPECT_NE(outcome.message.find(stepName), std::string::npos) << outcome.message;
      EXPECT_EQ(outcome.message.find("Grabado"), std::string::npos) << outcome.message;
      EXPECT_EQ(seen.size(), failAt + 1) << "nothing runs after the failed call";
      EXPECT_EQ(ReadAll(page), old) << "the old page is byte for byte intact";
      EXPECT_EQ(Listing(), std::vector<std::string>{"07-12-2026.bmp"}) << "no temporary file";
    }
  }
}

TEST_F(SaveFaultsTest, PageCommandLeavesAnEmptyFolderEmptyWhateverCallFails) {
  const std::vector<canvas::FileStep> steps = CleanSteps();
  for (std::size_t failAt = 0; failAt < steps.size(); ++failAt) {
    SCOPED_TRACE("call " + std::to_string(failAt));
    PageOutcome outcome;
    {
      FaultScript script(static_cast<int>(failAt),
                         std::make_error_code(std::errc::no_space_on_device));
      outcome = WriteDayPageFromText("07/12/2026", dir());
    }
    EXPECT_EQ(outcome.status, PageStatus::kNotSaved);
    EXPECT_TRUE(Listing().empty());
  }
}

// A failed save leaves nothing behind that spoils the next one: the same
// process then writes exactly the page it writes when nothing ever failed.
TEST_F(SaveFaultsTest, NextSaveAfterAFailureWritesTheWholePage) {
  const std::vector<std::uint8_t> reference = ReferencePage();
  ASSERT_EQ(reference.size(), kPageFileSize);
  const std::vector<canvas::FileStep> steps = CleanSteps();
  const fs::path page = dir() / "07-12-2026.bmp";
  for (std::size_t failAt = 0; failAt < steps.size(); ++failAt) {
    SCOPED_TRACE("call " + std::to_string(failAt));
    WriteAll(page, OldContent());
    {
      FaultScript script(static_cast<int>(failAt), std::make_error_code(std::errc::io_error));
      EXPECT_EQ(WriteDayPageFromText("07/12/2026", dir()).status, PageStatus::kNotSaved);
    }
    const PageOutcome outcome = WriteDayPageFromText("07/12/2026", dir());
    EXPECT_EQ(outcome.status, PageStatus::kSaved) << outcome.message;
    EXPECT_EQ(outcome.message, "Grabado 07-12-2026");
    EXPECT_EQ(ReadAll(page) == reference, true) << "the page equals one written alone";
    EXPECT_EQ(Listing(), std::vector<std::string>{"07-12-2026.bmp"});
  }
}

// Only the failed page is lost: a page saved before keeps its content when
// the save of another date into the same folder fails.
TEST_F(SaveFaultsTest, FailedSaveDoesNotTouchOtherPages) {
  ASSERT_EQ(WriteDayPageFromText("06/12/2026", dir()).status, PageStatus::kSaved);
  const std::vector<std::uint8_t> sunday = ReadAll(dir() / "06-12-2026.bmp");
  ASSERT_EQ(sunday.size(), kPageFileSize);
  {
    FaultScript script(1, std::make_error_code(std::errc::no_space_on_device));
    EXPECT_EQ(WriteDayPageFromText("07/12/2026", dir()).status, PageStatus::kNotSaved);
  }
  EXPECT_EQ(ReadAll(dir() / "06-12-2026.bmp"), sunday);
  EXPECT_EQ(Listing(), std::vector<std::string>{"06-12-2026.bmp"});
}

// A stop request (a signal) at any step of a save abandons it: the old page
// stays, no temporary file is left, and later saves do not start.
TEST_F(SaveFaultsTest, StopAtAnyStepAbandonsThePageInHand) {
  const std::vector<canvas::FileStep> steps = CleanSteps();
  const fs::path page = dir() / "07-12-2026.bmp";
  for (std::size_t stopAt = 0; stopAt < steps.size(); ++stopAt) {
    SCOPED_TRACE("call " + std::to_string(stopAt));
    WriteAll(page, OldContent());
    std::size_t calls = 0;
    canvas::SetFileFaultHookForTesting([&](canvas::FileStep) {
      if (calls++ == stopAt) StopSaving();
      return std::error_code();
    });
    const PageOutcome outcome = WriteDayPageFromText("07/12/2026", dir());
    const PageOutcome later = WriteDayPageFromText("08/12/2026", dir());
    canvas::SetFileFaultHookForTesting(nullptr);
    canvas::ResumeSavingForTesting();
    EXPECT_EQ(outcome.status, PageStatus::kNotSaved);
    EXPECT_EQ(outcome.save.error(), canvas::MakeError(canvas::SaveRefusal::kStopped));
    EXPECT_EQ(later.save.step(), "crear");
    EXPECT_EQ(ReadAll(page), OldContent());
    EXPECT_EQ(Listing(), std::vector<std::string>{"07-12-2026.bmp"});
  }
}

// A bad date never reaches the file calls.
TEST_F(SaveFaultsTest, BadDateMakesNoFileCall) {
  FaultScript script(-1, {});
  EXPECT_EQ(WriteDayPageFromText("31/02/2026", dir()).status, PageStatus::kBadDate);
  EXPECT_TRUE(script.steps().empty());
  EXPECT_TRUE(Listing().empty());
}

// SaveCanvasBitmap on a whole drawn page (the canvas tests use small
// rasters): every call failed in turn keeps the old page and the folder clean.
TEST_F(SaveFaultsTest, SaveCanvasBitmapOfAFullPageKeepsTheOldFileWhateverCallFails) {
  const CanvasHandle canvas = CreateCanvas(kPageWidth, kPageHeight);
  ASSERT_NE(canvas, 0u);
  InitializeTables();
  PreparePage(canvas);
  DrawDayPage(canvas, PageDate{7, 12, 2026});
  const fs::path page = dir() / "page.bmp";
  std::vector<canvas::FileStep> steps;
  {
    FaultScript script(-1, {});
    ASSERT_TRUE(SaveCanvasBitmap(page).ok());
    steps = script.steps();
  }
  const std::vector<std::uint8_t> drawn = ReadAll(page);
  ASSERT_EQ(drawn.size(), kPageFileSize);
  const std::vector<std::uint8_t> old = OldContent();
  for (std::size_t failAt = 0; failAt < steps.size(); ++failAt) {
    SCOPED_TRACE("call " + std::to_string(failAt));
    WriteAll(page, old);
    SaveResult result;
    {
      FaultScript script(static_cast<int>(failAt), std::make_error_code(std::errc::io_error));
      result = SaveCanvasBitmap(page);
    }
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.step(), canvas::FileStepName(steps[failAt]));
    EXPECT_EQ(ReadAll(page), old);
    EXPECT_EQ(Listing(), std::vector<std::string>{"page.bmp"});
  }
  ASSERT_TRUE(SaveCanvasBitmap(page).ok());
  EXPECT_EQ(ReadAll(page) == drawn, true);
  ReleaseCanvas(canvas);
}

}  // namespace
}  // namespace trevalda
