#include "app/imposition.h"

#include <algorithm>

namespace trevalda {
namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kPointsPerMm = 72.0 / kMmPerInch;
constexpr double kTabletWidthPixels = 1404;
constexpr double kTabletHeightPixels = 1872;
constexpr double kTabletDotsPerInch = 226;
constexpr PaperSize kA4{210, 297};

constexpr double kMmPerPixel = 25.4 / 96;
// The page drawing's pixels, a shade larger than A4 at 96 dots per inch.
constexpr double kPageWidthMm = 794 * kMmPerPixel;
constexpr double kPageHeightMm = 1123 * kMmPerPixel;

// The room to leave on every side of an area `width` x `height` mm so that
// a page whose ink keeps `pageMarginPx` pixels from its edges, scaled to
// fit what is left and centred, keeps its ink `safeEdgeMm` from the area's
// edges (as Fit places it): the smallest such room in steps of a hundredth of a millimetre.
double PrintSafeRoom(double width, double height, const SheetOptions& options) {
  if (options.safeEdgeMm <= 0) return 0;
  const double marginMm = options.pageMarginPx * kMmPerPixel;
  const auto inkDistance = [&](double room) {
    const double factor =
        std::min((width - 2 * room) / kA4.widthMm, (height - 2 * room) / kA4.heightMm);
    // Fit centres the A4 size: the drawing's extra reaches right and down.
    const double right = (width + kA4.widthMm * factor) / 2 - kPageWidthMm * factor;
    const double bottom = (height + kA4.heightMm * factor) / 2 - kPageHeightMm * factor;
    return std::min(right, bottom) + marginMm * factor;
  };
  double room = 0;
  while (inkDistance(room) < options.safeEdgeMm && room < options.safeEdgeMm) room += 0.01;
  return room;
}

// The A4 page placed on an area `width` x `height` mm whose left edge lies
// `left` mm from the sheet's left edge, `room` mm kept free on every side.
canvas::PagePlacement Fit(std::int32_t page, double left, double width, double height,
                          double room = 0) {
  const double factor =
      std::min((width - 2 * room) / kA4.widthMm, (height - 2 * room) / kA4.heightMm);
  canvas::PagePlacement placement;
  placement.page = page;
  placement.scale = canvas::kPointsPerPixel * factor;
  placement.left = (left + (width - kA4.widthMm * factor) / 2) * kPointsPerMm;
  placement.top = (height - kA4.heightMm * factor) / 2 * kPointsPerMm;
  return placement;
}

// The binding side of the page counted `position` from 0: odd pages (the
// right-hand ones) are bound on their left.
double BoundLeft(std::int32_t position, double margin) { return position % 2 == 0 ? margin : 0; }

}  // namespace

PaperSize PaperSizeOf(Paper paper) {
  switch (paper) {
    case Paper::kA5:
      return {148, 210};
    case Paper::kLetter:
      return {215.9, 279.4};
    case Paper::kTablet:
      // Exactly the screen's pixels at its density, so that a reader
      // rendering at 226 dpi makes 1404 x 1872 pixels, not one more.
      return {kTabletWidthPixels / kTabletDotsPerInch * kMmPerInch,
              kTabletHeightPixels / kTabletDotsPerInch * kMmPerInch};
    case Paper::kA4:
      break;
  }
  return kA4;
}

std::vector<std::array<std::int32_t, 2>> BookletSides(std::int32_t pages,
                                                      std::int32_t signatureSheets) {
  std::vector<std::array<std::int32_t, 2>> sides;
  if (pages <= 0 || signatureSheets <= 0) return sides;
  for (std::int32_t base = 0; base < pages; base += 4 * signatureSheets) {
    const std::int32_t sheets = std::min(signatureSheets, (pages - base + 3) / 4);
    const std::int32_t span = 4 * sheets;
    const auto page = [&](std::int32_t i) { return base + i < pages ? base + i : -1; };
    for (std::int32_t k = 0; k < sheets; ++k) {
      sides.push_back({page(span - 1 - 2 * k), page(2 * k)});
      sides.push_back({page(2 * k + 1), page(span - 2 - 2 * k)});
    }
  }
  return sides;
}

std::vector<canvas::Sheet> LayOutSheets(std::int32_t pages, const SheetOptions& options) {
  std::vector<canvas::Sheet> sheets;
  const double margin = std::clamp(options.bindingMarginMm, 0.0, kMaxBindingMarginMm);
  if (options.booklet) {
    // Each half of the landscape sheet is an A5 page, its binding margin
    // towards the fold.
    const double half = kA4.heightMm / 2;
    for (const auto& side : BookletSides(pages, kSignatureSheets)) {
      canvas::Sheet sheet;
      sheet.widthPoints = kA4.heightMm * kPointsPerMm;
      sheet.heightPoints = kA4.widthMm * kPointsPerMm;
      for (int k = 0; k < 2; ++k) {
        const std::int32_t page = side[static_cast<std::size_t>(k)];
        if (page < 0) continue;
        const double bound = BoundLeft(page, margin);
        const double room = PrintSafeRoom(half - margin, kA4.widthMm, options);
        sheet.pages.push_back(Fit(page, k * half + bound, half - margin, kA4.widthMm, room));
      }
      sheets.push_back(std::move(sheet));
    }
    return sheets;
  }
  const PaperSize paper = PaperSizeOf(options.paper);
  for (std::int32_t page = 0; page < pages; ++page) {
    canvas::Sheet sheet;
    sheet.widthPoints = paper.widthMm * kPointsPerMm;
    sheet.heightPoints = paper.heightMm * kPointsPerMm;
    const double room = PrintSafeRoom(paper.widthMm - margin, paper.heightMm, options);
    sheet.pages.push_back(
        Fit(page, BoundLeft(page, margin), paper.widthMm - margin, paper.heightMm, room));
    sheets.push_back(std::move(sheet));
  }
  return sheets;
}

}  // namespace trevalda
