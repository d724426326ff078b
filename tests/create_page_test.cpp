#include "app/create_page.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(ReadLeadingNumberTest, ReadsTheNumberAtTheStart) {
  const std::pair<std::string, double> cases[] = {
      {"07", 7},
      {"12", 12},
      {"2026", 2026},
      {"  \t\r\n42x", 42},
      {"+5", 5},
      {"-5", -5},
      {"3.5", 3.5},
      {".5", 0.5},
      {"5.", 5},
      {"1e3", 1000},
      {"1D2", 100},
      {"2d-1", 0.2},
      {"1E+2", 100},
      {"1e", 1},
      {"1e+", 1},
      {"1e00025", 100},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {".", 0},
      {"&H1F", 31},
      {"&h1f", 31},
      {"&B101", 5},
      {"&O17", 15},
      {"&Q17", 15},
      {"&17", 15},
      {"&18", 1},
      {"&Hxyz", 0},
      {" &H10", 16},
      {"-&H10", 0},
      {"1 2", 1},
      {"0-12", 0},
      {"7.12.2026", 7.12},
      {" +3.6", 3.6},
      {"1E1", 10},
      {"&7", 7},
  };
  for (const auto& [piece, value] : cases) {
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(piece), value) << '"' << piece << '"';
  }
}

TEST(ReadLeadingNumberTest, ExtremeValuesStayFinitelyHandled) {
  EXPECT_EQ(ReadLeadingNumber("1e9999"), HUGE_VAL);
  EXPECT_EQ(ReadLeadingNumber("-1e9999"), -HUGE_VAL);
  EXPECT_EQ(ReadLeadingNumber("1e-9999"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("0." + std::string(500, '0') + "1"), 0.0);
  EXPECT_EQ(ReadLeadingNumber(std::string(400, '9')), HUGE_VAL);
  EXPECT_EQ(ReadLeadingNumber(std::string(1 << 20, '1')), HUGE_VAL);
}

TEST(ReadLeadingInt16Test, RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
  const std::pair<std::string, int> cases[] = {
      {"2.5", 2},    {"3.5", 4},       {"-2.5", -2},   {"2.4999", 2},
      {"2.5001", 3}, {"32767", 32767}, {"32767.5", 0}, {"-32768", -32768},
      {"40000", 0},  {"1e9999", 0},    {"&HFFFF", 0},
  };
  for (const auto& [piece, value] : cases) EXPECT_EQ(ReadLeadingInt16(piece), value) << piece;
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
