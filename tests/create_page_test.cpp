#include "app/create_page.h"

#include <gtest/gtest.h>

#include <string>

namespace trevalda {
namespace {

TEST(MakeFileStemTest, ReplacesSlashesAndDropsSpaces) {
  const std::pair<std::string, std::string> cases[] = {
      {"07/12/2026", "07-12-2026"},     {"07\\12\\2026", "07-12-2026"},
      {"07 / 12 / 2026", "07-12-2026"}, {"07.12.2026", "07.12.2026"},
      {" 7/12/2026\t", "7-12-2026\t"},  {"", ""},
      {"a/b\\c d", "a-b-cd"},
  };
  for (const auto& [text, stem] : cases) EXPECT_EQ(MakeFileStem(text), stem) << text;
}

TEST(PageDateFromStemTest, CutsDayMonthAndYearAtFixedPositions) {
  struct Case {
    std::string stem;
    PageDate date;
  };
  const Case cases[] = {
      {"07-12-2026", {7, 12, 2026}},
      {"07.12.2026", {7, 12, 2026}},  // dots stay in the stem; the cut still works
      {"29-02-2024", {29, 2, 2024}},
      {"7-12-2026", {7, 2, 2026}},  // a one-digit day moves the month out of place
      {"", {0, 0, 0}},
      {"07", {7, 0, 7}},  // a short stem is its own last four characters
      {"07-1", {7, 1, 7}},
      {"xx-yy-zzzz", {0, 0, 0}},
      {"07-12-99999", {7, 12, 9999}},  // the last four
  };
  for (const auto& c : cases) {
    const PageDate date = PageDateFromStem(c.stem);
    EXPECT_EQ(date, c.date) << c.stem << " gives " << date.day << "/" << date.month << "/"
                            << date.year;
  }
}

TEST(PageCanvasSizeTest, IsA4AtNinetySixDotsPerInch) {
  EXPECT_EQ(PageCanvasWidth(), 794);
  EXPECT_EQ(PageCanvasHeight(), 1123);
}

TEST(ReadDateTextTest, AcceptsOnlyRealDatesWithSafeStems) {
  struct Case {
    std::string text;
    bool ok;
  };
  const Case cases[] = {
      {"07/12/2026", true},  {"07\\12\\2026", true}, {"07 / 12 / 2026", true},
      {"07.12.2026", true},  {"29/02/2024", true},   {"31/02/2026", false},
      {"00/05/2026", false}, {"07/13/2026", false},  {"7/12/26", false},
      {"", false},           {"abc", false},         {"07:12:2026", false},
      {"07/12/0000", false}, {"07|12|2026", false},  {std::string(1 << 20, '7'), false},
  };
  for (const auto& c : cases) {
    const Result<PageDate> date = ReadDateText(c.text);
    EXPECT_EQ(date.ok(), c.ok) << c.text.substr(0, 20);
    EXPECT_EQ(date.message().empty(), c.ok);
    EXPECT_LT(date.message().size(), 200u);
  }
}

// Drawing asks the canvas engine's error record: a page on a canvas that is
// gone fails, and a failure of an earlier page is not reported again.
TEST(DrawPageOnCanvasTest, ReportsWhatTheEngineRefused) {
  InitializeTables();
  const CanvasHandle canvas = CreateCanvas(PageCanvasWidth(), PageCanvasHeight());
  ASSERT_NE(canvas, 0u);
  const PageDate date{7, 12, 2026};
  EXPECT_TRUE(DrawPageOnCanvas(canvas, date).ok());
  ReleaseCanvas(canvas);
  const Result<> gone = DrawPageOnCanvas(canvas, date);
  EXPECT_FALSE(gone.ok());
  EXPECT_NE(gone.message().find("dibujar"), std::string::npos) << gone.message();
  EXPECT_FALSE(DrawPageOnCanvas(0, date).ok());
  const CanvasHandle next = CreateCanvas(PageCanvasWidth(), PageCanvasHeight());
  AttachCanvas(canvas, 0, 0);  // leaves a failure in the record
  EXPECT_TRUE(DrawPageOnCanvas(next, date).ok());
  ReleaseCanvas(next);
}

}  // namespace
}  // namespace trevalda
