// Where a document's pages go on paper: the sheet sizes, the page scaled
// to fit and centred, the binding margin on alternate sides, and the
// booklet's saddle-stitch order. Pure arithmetic, the same on every
// platform.
//
// Every page is an A4 drawing (210 x 297 mm at 96 dots per inch). On a
// sheet it is scaled uniformly so that the whole A4 fits the sheet less the
// binding margin, and centred in what is left; on an A4 sheet without a
// margin it keeps its size exactly.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "canvas/document_layout.h"

namespace trevalda {

enum class Paper {
  kA4,      // 210 x 297 mm
  kA5,      // 148 x 210 mm
  kLetter,  // 215.9 x 279.4 mm
  kTablet,  // 157.79 x 210.39 mm: exactly a 1404 x 1872 pixel e-ink screen at 226 dpi
};

struct PaperSize {
  double widthMm = 0;
  double heightMm = 0;
};

PaperSize PaperSizeOf(Paper paper);

// The widest binding margin, millimetres.
inline constexpr double kMaxBindingMarginMm = 30;

// Sheets folded together into one signature (cuadernillo) of a booklet:
// 4 sheets, 16 pages.
inline constexpr std::int32_t kSignatureSheets = 4;

struct SheetOptions {
  Paper paper = Paper::kA4;
  // Blank space for the binding, 0 to kMaxBindingMarginMm: on the left of
  // odd pages (first, third, ...) and on the right of even ones.
  double bindingMarginMm = 0;
  // A5 pages two per A4 landscape sheet in saddle-stitch order (the paper
  // is then always A4).
  bool booklet = false;
  // Pages that keep `pageMarginPx` pixels of their own edges free of ink
  // (the modern page: 19) get room around them so that the ink also stays
  // `safeEdgeMm` millimetres from every edge of the sheet (of each half of
  // a booklet sheet), however the page is scaled. 0: the page fills its
  // area as always.
  double safeEdgeMm = 0;
  double pageMarginPx = 0;
};

// The saddle-stitch order of `pages` pages in signatures of
// `signatureSheets` sheets: for every sheet its front (left, right) and
// its back (left, right), sheet after sheet; -1 is a blank page. Each
// signature holds 4 x signatureSheets pages but the last, which takes as
// few sheets as hold what is left, padded with blanks at its end. Printed
// on both sides flipping on the short edge, each signature folds in the
// middle into pages 1, 2, 3, ... in order.
std::vector<std::array<std::int32_t, 2>> BookletSides(std::int32_t pages,
                                                      std::int32_t signatureSheets);

// The document's sheets for `pages` pages: one page per sheet of the
// paper, or the booklet's sheets.
std::vector<canvas::Sheet> LayOutSheets(std::int32_t pages, const SheetOptions& options);

}  // namespace trevalda
