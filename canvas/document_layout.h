// How a document's drawn pages become its sheets, and what a reader uses to
// find its way through them: links, an outline, page labels and metadata.
// Plain data, the same on every platform; the PDF writer reads it in
// DocumentSurface::Finish.
//
// Pages are numbered from 0 in the order they were drawn; sheets are the
// document's physical pages, numbered from 0. Texts are Windows-1252.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas/surface.h"

namespace trevalda::canvas {

// PostScript points per pixel at 96 dots per inch.
inline constexpr double kPointsPerPixel = 72.0 / 96.0;

// A4 in PostScript points (1/72 inch).
inline constexpr double kA4WidthPoints = 210.0 / 25.4 * 72.0;
inline constexpr double kA4HeightPoints = 297.0 / 25.4 * 72.0;

// One drawn page on a sheet.
struct PagePlacement {
  std::int32_t page = 0;           // the drawn page shown
  double scale = kPointsPerPixel;  // points per pixel, the same across and down
  double left = 0;                 // points from the sheet's left edge to the page's
  double top = 0;                  // points from the sheet's top edge to the page's
};

struct Sheet {
  double widthPoints = kA4WidthPoints;
  double heightPoints = kA4HeightPoints;
  std::vector<PagePlacement> pages;  // none: a blank sheet
};

// An invisible area of a page that takes the reader to another page.
struct PageLink {
  std::int32_t page = 0;  // where the area is
  PixelRect area;         // pixels of that page
  std::int32_t target = 0;
};

struct OutlineItem {
  std::string title;
  std::int32_t page = 0;
};

struct DocumentLayout {
  // The sheets; none: one A4 sheet per drawn page, the page at 96 dots per
  // inch from the top-left corner.
  std::vector<Sheet> sheets;
  // Links and outline items go to the first sheet that shows their page; a
  // link is put on every sheet that shows its own page.
  std::vector<PageLink> links;
  std::vector<OutlineItem> outline;      // one level, in reading order
  std::vector<std::string> sheetLabels;  // none, or one per sheet
  std::string title;
  std::string creator;
  std::string creationDate;  // "D:YYYYMMDDHHmmSSZ", or empty
  // For sheets printed on both sides and folded (a booklet): the print
  // dialog starts on both sides flipped on the short edge, at 100 %
  // (/ViewerPreferences Duplex DuplexFlipShortEdge, PrintScaling None).
  bool duplexShortEdge = false;
};

}  // namespace trevalda::canvas
