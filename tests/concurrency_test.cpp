// Several threads of one process asking for pages at once: the page command
// serialises them, every call reports its own outcome, and every file is a
// whole page equal to one written alone.
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
#include <thread>
#include <vector>

#include "app/create_page.h"
#include "test_support.h"

namespace trevalda {
namespace {

namespace fs = std::filesystem;
using test::FreshFolder;
using test::ReadAll;

TEST(PageCommandThreadsTest, ThreadsWritingPagesAtOnceEachGetAWholePage) {
  const fs::path alone = FreshFolder("threads-alone");
  const fs::path shared = FreshFolder("threads-shared");
  const char* dates[] = {"06/12/2026", "07/12/2026"};
  for (const char* date : dates) {
    ASSERT_EQ(WriteDayPageFromText(date, alone).status, PageStatus::kSaved);
  }
  constexpr int kThreads = 8;
  constexpr int kRounds = 5;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<PageOutcome> outcomes(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] { outcomes[t] = WriteDayPageFromText(dates[t % 2], shared); });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
      EXPECT_EQ(outcomes[t].status, PageStatus::kSaved) << outcomes[t].message;
      EXPECT_EQ(outcomes[t].message, "Grabado " + MakeFileStem(dates[t % 2]));
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(shared)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"06-12-2026.bmp", "07-12-2026.bmp"}));
    for (const char* stem : {"06-12-2026.bmp", "07-12-2026.bmp"}) {
      EXPECT_EQ(ReadAll(shared / stem) == ReadAll(alone / stem), true) << stem;
    }
  }
  std::error_code ignored;
  fs::remove_all(alone, ignored);
  fs::remove_all(shared, ignored);
}

}  // namespace
}  // namespace trevalda
