#include "app/imposition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace trevalda {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kPageWidthPixels = 794;
constexpr double kPageHeightPixels = 1123;

// Sixteen pages per signature: sheet after sheet, front then back, each
// side (left, right); -1 a blank page.
TEST(BookletSidesTest, SaddleStitchOrderInSignaturesOfFourSheets) {
  using Sides = std::vector<std::array<std::int32_t, 2>>;
  EXPECT_EQ(BookletSides(21, 4), (Sides{{15, 0},
                                        {1, 14},
                                        {13, 2},
                                        {3, 12},
                                        {11, 4},
                                        {5, 10},
                                        {9, 6},
                                        {7, 8},
                                        {-1, 16},
                                        {17, -1},
                                        {-1, 18},
                                        {19, 20}}));
  EXPECT_EQ(BookletSides(1, 4), (Sides{{-1, 0}, {-1, -1}}));
  EXPECT_EQ(BookletSides(0, 4), Sides{});
  // A year with its index: 366 pages, 22 whole signatures and one of 14
  // pages (4 sheets, 2 blanks).
  const Sides year = BookletSides(366, kSignatureSheets);
  ASSERT_EQ(year.size(), 2u * 92);
  std::vector<int> seen(366, 0);
  int blanks = 0;
  for (const auto& side : year) {
    for (std::int32_t page : side) page < 0 ? ++blanks : ++seen[static_cast<std::size_t>(page)];
  }
  EXPECT_EQ(blanks, 2);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 366);
}

// Every paper: the whole A4 page fits, scaled the same across and down,
// centred in what the binding margin leaves, the margin on the left of odd
// pages and on the right of even ones.
TEST(LayOutSheetsTest, ThePageFitsCentredBesideTheBindingMargin) {
  struct Case {
    Paper paper;
    double margin;
    double widthMm;
    double heightMm;
  };
  const Case cases[] = {
      {Paper::kA4, 0, 210, 297},
      {Paper::kA5, 0, 148, 210},
      {Paper::kLetter, 0, 215.9, 279.4},
      {Paper::kTablet, 0, 1404 / 226.0 * 25.4, 1872 / 226.0 * 25.4},
      {Paper::kA4, 20, 210, 297},
      {Paper::kLetter, 30, 215.9, 279.4},
      {Paper::kTablet, 8, 1404 / 226.0 * 25.4, 1872 / 226.0 * 25.4},
  };
  for (const auto& c : cases) {
    const std::vector<canvas::Sheet> sheets = LayOutSheets(3, {c.paper, c.margin, false});
    ASSERT_EQ(sheets.size(), 3u);
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      const canvas::Sheet& sheet = sheets[i];
      EXPECT_NEAR(sheet.widthPoints, c.widthMm * kPointsPerMm, 1e-9);
      EXPECT_NEAR(sheet.heightPoints, c.heightMm * kPointsPerMm, 1e-9);
      ASSERT_EQ(sheet.pages.size(), 1u);
      const canvas::PagePlacement& p = sheet.pages[0];
      EXPECT_EQ(p.page, static_cast<std::int32_t>(i));
      // The A4 the page stands for (210 x 297 mm) lies inside the sheet
      // less the margin, touching it on two opposite sides.
      const double width = 210 * kPointsPerMm * p.scale / canvas::kPointsPerPixel;
      const double height = 297 * kPointsPerMm * p.scale / canvas::kPointsPerPixel;
      const double margin = c.margin * kPointsPerMm;
      const double areaLeft = i % 2 == 0 ? margin : 0;
      const double areaRight = sheet.widthPoints - (i % 2 == 0 ? 0 : margin);
      const double leftGap = p.left - areaLeft;
      const double rightGap = areaRight - (p.left + width);
      const double topGap = p.top;
      const double bottomGap = sheet.heightPoints - (p.top + height);
      EXPECT_GE(std::min({leftGap, rightGap, topGap, bottomGap}), -1e-9);
      EXPECT_NEAR(leftGap, rightGap, 1e-9);
      EXPECT_NEAR(topGap, bottomGap, 1e-9);
      EXPECT_NEAR(std::min(leftGap, topGap), 0, 1e-9);
    }
  }
  // On A4 without a margin the page keeps its size: 96 dots per inch.
  const canvas::PagePlacement a4 = LayOutSheets(1, {})[0].pages[0];
  EXPECT_EQ(a4.scale, canvas::kPointsPerPixel);
  EXPECT_EQ(a4.left, 0);
  EXPECT_EQ(a4.top, 0);
}

// The booklet: A4 landscape sheets, two A5 halves, each page fitted to its
// half with the margin towards the fold.
TEST(LayOutSheetsTest, BookletPagesShareLandscapeSheets) {
  const std::vector<canvas::Sheet> sheets = LayOutSheets(3, {Paper::kA4, 10, true});
  ASSERT_EQ(sheets.size(), 2u);
  const double half = 297.0 / 2 * kPointsPerMm;
  for (const canvas::Sheet& sheet : sheets) {
    EXPECT_NEAR(sheet.widthPoints, 297 * kPointsPerMm, 1e-9);
    EXPECT_NEAR(sheet.heightPoints, 210 * kPointsPerMm, 1e-9);
    for (const canvas::PagePlacement& p : sheet.pages) {
      const double right = p.left + kPageWidthPixels * p.scale;
      const bool onLeft = p.left < half;
      // Odd pages (0, 2: the first, the third) are right-hand pages.
      EXPECT_EQ(onLeft, p.page % 2 == 1) << p.page;
      const double towardsFold = onLeft ? half - right : p.left - half;
      EXPECT_GE(towardsFold, 10 * kPointsPerMm - 1) << p.page;
      EXPECT_LE(p.top + kPageHeightPixels * p.scale, sheet.heightPoints + 1);
    }
  }
  EXPECT_EQ(sheets[0].pages.size(), 1u);  // a blank beside page 0
  EXPECT_EQ(sheets[1].pages.size(), 2u);
}

// Pages that keep 19 pixels of their edges free keep their ink 5 mm from
// every edge of the sheet, or of each half of a booklet sheet, on every
// paper and beside any binding margin; the binding margin stays free too.
TEST(LayOutSheetsTest, PrintSafePagesKeepTheirInkFiveMillimetresFromEveryEdge) {
  struct Case {
    Paper paper;
    bool booklet;
    double margin;
  };
  const Case cases[] = {{Paper::kA4, false, 0},     {Paper::kA5, false, 0},
                        {Paper::kLetter, false, 0}, {Paper::kTablet, false, 0},
                        {Paper::kA4, false, 12},    {Paper::kA5, false, 7.5},
                        {Paper::kA4, true, 0},      {Paper::kA4, true, 8}};
  constexpr double kMargin = 19;
  for (const Case& c : cases) {
    SheetOptions options;
    options.paper = c.paper;
    options.booklet = c.booklet;
    options.bindingMarginMm = c.margin;
    options.safeEdgeMm = 5;
    options.pageMarginPx = kMargin;
    const std::vector<canvas::Sheet> sheets = LayOutSheets(4, options);
    for (const canvas::Sheet& sheet : sheets) {
      const double areaWidth = sheet.widthPoints / (c.booklet ? 2 : 1);
      for (const canvas::PagePlacement& p : sheet.pages) {
        // The half the page lies on, and the ink's rectangle in points.
        const double areaLeft = c.booklet && p.left >= areaWidth ? areaWidth : 0;
        const double inkLeft = p.left + kMargin * p.scale - areaLeft;
        const double inkRight =
            areaWidth - (p.left + (kPageWidthPixels - kMargin) * p.scale - areaLeft);
        const double inkTop = p.top + kMargin * p.scale;
        const double inkBottom =
            sheet.heightPoints - (p.top + (kPageHeightPixels - kMargin) * p.scale);
        const double bound = p.page % 2 == 0 ? inkLeft : inkRight;
        const double edge = 5 * kPointsPerMm - 1e-6;
        EXPECT_GE(std::min({inkLeft, inkRight, inkTop, inkBottom}), edge)
            << static_cast<int>(c.paper) << " " << c.booklet << " " << c.margin;
        EXPECT_GE(bound, edge + c.margin * kPointsPerMm) << c.margin;
      }
    }
    // Without the request the page fills its area as before.
    options.safeEdgeMm = 0;
    const double unchanged = LayOutSheets(4, options)[0].pages[0].scale;
    EXPECT_GE(unchanged, sheets[0].pages[0].scale);
  }
}

}  // namespace
}  // namespace trevalda
