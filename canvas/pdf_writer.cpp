// The PDF writer: one portable vector backend for documents.
//
// Every drawn page becomes a form XObject whose content is the page's
// drawing in pixel coordinates (y down, through the form's matrix), kept
// compressed from the moment the page ends. Sheets place those forms with
// one transformation each, so a page stands on a sheet of any size, or two
// stand side by side on a booklet sheet, without being drawn again. Fonts
// are embedded once per document as TrueType simple fonts with
// WinAnsiEncoding (the program's texts are Windows-1252 already), holding
// the glyphs of the 224 printable codes only.
//
// Lines follow the raster's pixel rules: a thin line runs along its major
// axis from the start pixel's edge to the end pixel's edge, through the pixel
// centres across it, one pixel wide; a wider one is centred on the pixel
// centres with round caps. Text is set with the top-left of its cell at the
// position, the baseline the font's ascent below it, and each glyph at the
// raster's whole-pixel advances, as the raster does.
#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/document_font.h"
#include "canvas/document_layout.h"
#include "canvas/line_geometry.h"
#include "canvas/surface.h"
#include "text/cp1252.h"

namespace trevalda::canvas {

std::shared_ptr<const DocumentFont> MakeDocumentFont(const PlatformFont& font) {
  std::call_once(font.documentOnce_, [&] { font.document_ = ReadDocumentFont(font); });
  return font.document_;
}

namespace {

using Bytes = std::vector<std::uint8_t>;

// Appends a number with at most three decimals, in the C locale's form.
void Number(std::string& out, double value) {
  if (!std::isfinite(value)) value = 0;
  const double rounded = std::round(value * 1000.0) / 1000.0;
  char text[48];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed, 3);
  std::string_view s(text, error == std::errc() ? static_cast<std::size_t>(end - text) : 0);
  if (s.find('.') != std::string_view::npos) {
    while (s.back() == '0') s.remove_suffix(1);
    if (s.back() == '.') s.remove_suffix(1);
  }
  if (s == "-0") s = "0";
  out.append(s);
}

void Numbers(std::string& out, std::initializer_list<double> values) {
  for (double v : values) {
    Number(out, v);
    out.push_back(' ');
  }
}

void Colour(std::string& out, Rgb color, std::string_view op) {
  Numbers(out, {(color & 0xFFu) / 255.0, ((color >> 8) & 0xFFu) / 255.0,
                ((color >> 16) & 0xFFu) / 255.0});
  out.append(op).push_back('\n');
}

// A literal string of Windows-1252 bytes.
void LiteralString(std::string& out, std::string_view bytes) {
  out.push_back('(');
  for (char c : bytes) {
    if (c == '(' || c == ')' || c == '\\') out.push_back('\\');
    if (c == '\r') {
      out.append("\\r");
      continue;
    }
    out.push_back(c);
  }
  out.push_back(')');
}

// A text string for the document's own texts (outline, labels, metadata):
// UTF-16BE with its byte order mark, in hexadecimal.
void TextString(std::string& out, std::string_view cp1252) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.append("<FEFF");
  for (char16_t c : Cp1252ToUtf16(cp1252)) {
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(c >> shift) & 0xF]);
  }
  out.push_back('>');
}

std::optional<Bytes> Deflate(std::string_view data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
    return std::nullopt;
  }
  out.resize(size);
  return out;
}

// A six-letter subset tag derived from the embedded program, so that the
// same font gives the same name in every document.
std::string SubsetTag(const Bytes& program) {
  std::uint32_t hash = 2166136261u;
  for (std::uint8_t b : program) hash = (hash ^ b) * 16777619u;
  std::string tag;
  for (int i = 0; i < 6; ++i) {
    tag.push_back(static_cast<char>('A' + hash % 26));
    hash /= 26;
  }
  return tag + "+";
}

// The PDF file as it is written: objects numbered from 1 and their offsets.
class ObjectWriter {
 public:
  ObjectWriter() { text_.append("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n"); }

  // Reserves an object number to refer to before the object is written.
  std::int32_t Reserve() {
    offsets_.push_back(0);
    return static_cast<std::int32_t>(offsets_.size());
  }

  void Object(std::int32_t number, std::string_view body) {
    Begin(number);
    text_.append(body).append("\nendobj\n");
  }

  void Stream(std::int32_t number, std::string_view dictionary, const Bytes& data) {
    Begin(number);
    text_.append("<<").append(dictionary).append("/Length ");
    text_.append(std::to_string(data.size())).append(">>\nstream\n");
    text_.append(reinterpret_cast<const char*>(data.data()), data.size());
    text_.append("\nendstream\nendobj\n");
  }

  Bytes Finish(std::int32_t root, std::int32_t info) {
    const std::size_t xref = text_.size();
    text_.append("xref\n0 ").append(std::to_string(offsets_.size() + 1));
    text_.append("\n0000000000 65535 f \n");
    char entry[32];
    for (std::size_t offset : offsets_) {
      std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
      text_.append(entry);
    }
    text_.append("trailer\n<</Size ").append(std::to_string(offsets_.size() + 1));
    text_.append("/Root ").append(Ref(root)).append("/Info ").append(Ref(info));
    text_.append(">>\nstartxref\n").append(std::to_string(xref)).append("\n%%EOF\n");
    return Bytes(text_.begin(), text_.end());
  }

  static std::string Ref(std::int32_t number) { return std::to_string(number) + " 0 R"; }

 private:
  void Begin(std::int32_t number) {
    offsets_[static_cast<std::size_t>(number - 1)] = text_.size();
    text_.append(std::to_string(number)).append(" 0 obj\n");
  }

  std::string text_;
  std::vector<std::size_t> offsets_;
};

// The Windows-1252 codes of a text that the document fonts hold.
std::string DocumentCodes(std::string_view cp1252) {
  std::string codes(cp1252);  // WinAnsi is Windows-1252
  std::erase_if(codes, [](char c) { return static_cast<unsigned char>(c) < kFirstDocumentCode; });
  return codes;
}

std::size_t CodeIndex(char code) {
  return static_cast<std::size_t>(static_cast<unsigned char>(code) - kFirstDocumentCode);
}

// The advance of `codes` in `font`, whole pixels: the raster's.
std::int32_t Advance(const DocumentFont& font, std::string_view codes) {
  std::int64_t pixels = 0;
  for (char c : codes) pixels += font.pixelAdvances[CodeIndex(c)];
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      pixels, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Shows `codes` (not empty) with every glyph where the raster puts it: a
// reader moves along by the face's widths, the raster by whole pixels, so
// the difference is taken up between glyphs with TJ adjustments in whole
// thousandths of the em (positive to the left; what rounding leaves is
// carried to the next glyph, so no glyph is off by more than half a
// thousandth of the em). A run that needs none stays a plain Tj.
void ShowPlaced(std::string& out, const DocumentFont& font, std::string_view codes) {
  std::string adjusted = "[";
  bool needed = false;
  std::size_t from = 0;  // the first code not yet written
  double ahead = 0;      // pixels: the reader's pen less the raster's
  for (std::size_t k = 0; k + 1 < codes.size() && font.emPixels > 0; ++k) {
    const std::size_t code = CodeIndex(codes[k]);
    ahead += font.widths[code] * font.emPixels / 1000.0 - font.pixelAdvances[code];
    const double adjustment = std::round(ahead * 1000.0 / font.emPixels);
    if (adjustment == 0) continue;
    LiteralString(adjusted, codes.substr(from, k + 1 - from));
    Number(adjusted, adjustment);
    from = k + 1;
    ahead -= adjustment * font.emPixels / 1000.0;
    needed = true;
  }
  if (!needed) {
    LiteralString(out, codes);
    out.append(" Tj");
    return;
  }
  LiteralString(adjusted, codes.substr(from));
  out.append(adjusted).append("] TJ");
}

class PdfSurface final : public DocumentSurface {
 public:
  PdfSurface(std::int32_t width, std::int32_t height) : width_(width), height_(height) {}

  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }

  bool Fill(Rgb color, FillPattern pattern) override {
    if (pattern == FillPattern::kSolid) {
      Colour(content_, color, "rg");
      Numbers(content_, {0, 0, static_cast<double>(width_), static_cast<double>(height_)});
      content_.append("re f\n");
      return Healthy();
    }
    // Hatches as thin lines every 8 pixels, like the raster's.
    content_.append("q 0 0 ");
    Numbers(content_, {static_cast<double>(width_), static_cast<double>(height_)});
    content_.append("re W n 1 w\n");
    Colour(content_, color, "RG");
    const bool horizontal = pattern == FillPattern::kHorizontal || pattern == FillPattern::kCross;
    const bool vertical = pattern == FillPattern::kVertical || pattern == FillPattern::kCross;
    const bool forward =
        pattern == FillPattern::kForwardDiagonal || pattern == FillPattern::kDiagonalCross;
    const bool backward =
        pattern == FillPattern::kBackwardDiagonal || pattern == FillPattern::kDiagonalCross;
    const std::int32_t span = width_ + height_;
    const auto segment = [&](double ax, double ay, double bx, double by) {
      Numbers(content_, {ax, ay});
      content_.append("m ");
      Numbers(content_, {bx, by});
      content_.append("l\n");
    };
    for (std::int32_t k = -span; k <= span; k += 8) {
      if (horizontal && k >= 0 && k < height_) segment(0, k + 0.5, width_, k + 0.5);
      if (vertical && k >= 0 && k < width_) segment(k + 0.5, 0, k + 0.5, height_);
      if (forward) segment(k, 0, k + span, span);           // x - y = k
      if (backward) segment(k + 8, 0, k + 8 - span, span);  // x + y = k + 7
    }
    content_.append("S Q\n");
    return Healthy();
  }

  bool StrokeLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                  std::int32_t width, Rgb color) override {
    double ax = x0;
    double ay = y0;
    double bx = x1;
    double by = y1;
    if (width <= 1) {
      // Along the major axis from pixel edge to pixel edge, across it
      // through the pixel centres.
      const bool xMajor = std::abs(static_cast<std::int64_t>(x1) - x0) >=
                          std::abs(static_cast<std::int64_t>(y1) - y0);
      (xMajor ? ay : ax) += 0.5;
      (xMajor ? by : bx) += 0.5;
      if (x1 < x0 && xMajor) {
        ax += 1;
        bx += 1;
      }
      if (y1 < y0 && !xMajor) {
        ay += 1;
        by += 1;
      }
      if ((x0 == x1 && y0 == y1) ||
          !ClipSegment(ax, ay, bx, by, -2.0, -2.0, width_ + 2.0, height_ + 2.0)) {
        return true;
      }
      content_.append("1 w 0 J ");
    } else {
      ax += 0.5;
      ay += 0.5;
      bx += 0.5;
      by += 0.5;
      const double w = std::min<double>(width, 4.0 * std::max(width_, height_));
      const double margin = w + 2.0;
      if (!ClipSegment(ax, ay, bx, by, -margin, -margin, width_ + margin, height_ + margin)) {
        return true;
      }
      Number(content_, w);
      content_.append(" w 1 J ");
    }
    Colour(content_, color, "RG");
    Numbers(content_, {ax, ay});
    content_.append("m ");
    Numbers(content_, {bx, by});
    content_.append("l S\n");
    return Healthy();
  }

  // A font the document cannot embed (no TrueType outlines) is refused;
  // text set while it is the one asked for fails the document rather than
  // coming out in another font.
  std::optional<FontMetrics> SelectFont(std::shared_ptr<const PlatformFont> font) override {
    std::shared_ptr<const DocumentFont> document =
        font != nullptr ? MakeDocumentFont(*font) : nullptr;
    fontRefused_ = document == nullptr;
    if (fontRefused_) return std::nullopt;
    font_ = std::move(document);
    return font_->metrics;
  }

  std::optional<std::int32_t> MeasureText(std::string_view text) const override {
    if (font_ == nullptr || fontRefused_) return std::nullopt;
    return Advance(*font_, DocumentCodes(text));
  }

  std::optional<std::int32_t> DrawTextRun(const TextRun& run) override {
    if (font_ == nullptr || fontRefused_) {
      failed_ = true;
      return std::nullopt;
    }
    const DocumentFont& font = *font_;
    const std::string codes = DocumentCodes(run.text);
    const std::int32_t advance = Advance(font, codes);
    const std::int32_t cellHeight = font.metrics.lineHeight;
    const double baseline = static_cast<double>(run.y) + font.ascentPixels;

    content_.append("q\n");
    if (run.clip) {
      const PixelRect& c = *run.clip;
      Numbers(content_, {static_cast<double>(c.left), static_cast<double>(c.top),
                         static_cast<double>(std::max(0, c.right - c.left)),
                         static_cast<double>(std::max(0, c.bottom - c.top))});
      content_.append("re W n\n");
    }
    if (run.backColor) {
      Colour(content_, *run.backColor, "rg");
      Numbers(content_, {static_cast<double>(run.x), static_cast<double>(run.y),
                         static_cast<double>(advance), static_cast<double>(cellHeight)});
      content_.append("re f\n");
    }
    Colour(content_, run.foreColor, "rg");
    if (!codes.empty()) {
      content_.append("BT /F").append(std::to_string(ResourceOf(font_))).push_back(' ');
      Number(content_, font.emPixels);
      content_.append(" Tf ");
      if (font.syntheticBold) {
        Colour(content_, run.foreColor, "RG");
        Number(content_, font.emPixels / 24.0);
        content_.append(" w 2 Tr ");
      }
      content_.append("1 0 0 -1 ");
      Numbers(content_, {static_cast<double>(run.x), baseline});
      content_.append("Tm ");
      ShowPlaced(content_, font, codes);
      content_.append(" ET\n");
    }
    const auto bar = [&](double top) {
      Numbers(content_, {static_cast<double>(run.x), top, static_cast<double>(advance),
                         static_cast<double>(font.lineThickness)});
      content_.append("re f\n");
    };
    if (font.underline) bar(baseline + font.underlineOffset);
    if (font.strikeOut) bar(baseline - font.strikeOffset);
    content_.append("Q\n");
    if (!Healthy()) return std::nullopt;
    return advance;
  }

  bool CopyBgr24BottomUp(std::uint8_t* /*dest*/, std::int32_t /*stride*/) const override {
    return false;
  }

  Rgb Pixel(std::int32_t /*x*/, std::int32_t /*y*/) const override { return 0; }

  bool EndPage() override {
    if (!Healthy()) return false;
    std::optional<Bytes> packed = Deflate(content_);
    if (!packed) {
      failed_ = true;
      return false;
    }
    pages_.push_back(std::move(*packed));
    content_.clear();
    return true;
  }

  std::int32_t PageCount() const override { return static_cast<std::int32_t>(pages_.size()); }

  bool Finish(const DocumentLayout& layout, Bytes& bytes) override {
    if (!Healthy() || finished_) return false;
    finished_ = true;
    try {
      return Write(layout, bytes);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

 private:
  // The font resource that sets `font`: the sizes of a face share one, as
  // their programs and widths are the same.
  std::int32_t ResourceOf(const std::shared_ptr<const DocumentFont>& font) {
    if (const auto it = resourceOf_.find(font.get()); it != resourceOf_.end()) return it->second;
    std::int32_t number = 0;
    while (number < static_cast<std::int32_t>(resources_.size())) {
      const DocumentFont& other = *resources_[static_cast<std::size_t>(number)];
      if (other.widths == font->widths && other.syntheticBold == font->syntheticBold &&
          other.program == font->program) {
        break;
      }
      ++number;
    }
    if (number == static_cast<std::int32_t>(resources_.size())) resources_.push_back(font);
    resourceOf_.emplace(font.get(), number);
    return number;
  }

  bool Healthy() const { return !failed_ && !finished_; }

  std::vector<Sheet> DefaultSheets() const {
    std::vector<Sheet> sheets(pages_.size());
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      sheets[i].pages.push_back({static_cast<std::int32_t>(i), kPointsPerPixel, 0, 0});
    }
    return sheets;
  }

  // The numbers of the document's fixed objects, reserved up front, and the
  // first sheet that shows each page (-1: none).
  struct DocumentObjects {
    std::int32_t catalog = 0;
    std::int32_t pageTree = 0;
    std::int32_t resources = 0;
    std::int32_t info = 0;
    std::vector<std::int32_t> forms;         // one per drawn page
    std::vector<std::int32_t> sheetObjects;  // one per sheet
    std::vector<std::int32_t> sheetOf;       // per drawn page
  };

  bool Write(const DocumentLayout& layout, Bytes& bytes) {
    const std::vector<Sheet> sheets = layout.sheets.empty() ? DefaultSheets() : layout.sheets;
    DocumentObjects objects;
    if (!FindFirstSheets(layout, sheets, objects.sheetOf)) return false;
    ObjectWriter out;
    objects.catalog = out.Reserve();
    objects.pageTree = out.Reserve();
    objects.resources = out.Reserve();
    objects.info = out.Reserve();
    for (std::size_t i = 0; i < pages_.size(); ++i) objects.forms.push_back(out.Reserve());
    for (std::size_t i = 0; i < sheets.size(); ++i) objects.sheetObjects.push_back(out.Reserve());
    if (!WriteFontsAndForms(out, objects)) return false;
    WriteSheets(out, objects, sheets, layout.links);
    WriteCatalog(out, objects, sheets.size(), layout);
    WriteInfo(out, objects.info, layout);
    bytes = out.Finish(objects.catalog, objects.info);
    return true;
  }

  // Checks that every page the layout names was drawn, and fills `sheetOf`
  // with the first sheet showing each page.
  bool FindFirstSheets(const DocumentLayout& layout, const std::vector<Sheet>& sheets,
                       std::vector<std::int32_t>& sheetOf) const {
    const auto pageCount = static_cast<std::int32_t>(pages_.size());
    const auto isPage = [&](std::int32_t p) { return p >= 0 && p < pageCount; };
    sheetOf.assign(pages_.size(), -1);
    for (std::size_t s = 0; s < sheets.size(); ++s) {
      for (const PagePlacement& p : sheets[s].pages) {
        if (!isPage(p.page)) return false;
        auto& first = sheetOf[static_cast<std::size_t>(p.page)];
        if (first < 0) first = static_cast<std::int32_t>(s);
      }
    }
    for (const PageLink& link : layout.links) {
      if (!isPage(link.page) || !isPage(link.target)) return false;
    }
    // Outline levels make a tree: an item goes at most one level below
    // the item before it.
    std::int32_t deepest = 0;
    for (const OutlineItem& item : layout.outline) {
      if (!isPage(item.page) || item.level < 0 || item.level > deepest) return false;
      deepest = item.level + 1;
    }
    return true;
  }

  // The fonts, once per document, in the shared resources; then the drawn
  // pages, as forms in pixels with y down.
  bool WriteFontsAndForms(ObjectWriter& out, const DocumentObjects& objects) const {
    std::string fontResources = "<</Font<<";
    for (std::size_t i = 0; i < resources_.size(); ++i) {
      const std::int32_t number = WriteFont(out, *resources_[i]);
      if (number == 0) return false;
      fontResources.append("/F").append(std::to_string(i)).push_back(' ');
      fontResources.append(ObjectWriter::Ref(number));
    }
    fontResources.append(">>>>");
    out.Object(objects.resources, fontResources);

    std::string form = "/Type/XObject/Subtype/Form/BBox[0 0 ";
    Numbers(form, {static_cast<double>(width_), static_cast<double>(height_)});
    form.append("]/Matrix[1 0 0 -1 0 ");
    Number(form, height_);
    form.append("]/Resources ")
        .append(ObjectWriter::Ref(objects.resources))
        .append("/Filter/FlateDecode");
    for (std::size_t i = 0; i < pages_.size(); ++i) out.Stream(objects.forms[i], form, pages_[i]);
    return true;
  }

  // Where a link or an outline item takes the reader: the first sheet that
  // shows `page`, fitted to the window.
  static std::string Destination(const DocumentObjects& objects, std::int32_t page) {
    // Built by appending: GCC 12 at -O3 misreads "[" + std::string as an
    // overlapping copy.
    std::string text = "[";
    text += ObjectWriter::Ref(objects.sheetObjects[static_cast<std::size_t>(
        std::max(0, objects.sheetOf[static_cast<std::size_t>(page)]))]);
    text += "/Fit]";
    return text;
  }

  // The sheets, each placing its pages, with the links of those pages; then
  // the page tree.
  void WriteSheets(ObjectWriter& out, const DocumentObjects& objects,
                   const std::vector<Sheet>& sheets, const std::vector<PageLink>& links) const {
    std::multimap<std::int32_t, const PageLink*> linksOf;
    for (const PageLink& link : links) linksOf.emplace(link.page, &link);
    std::string kids;
    for (std::size_t s = 0; s < sheets.size(); ++s) {
      const Sheet& sheet = sheets[s];
      std::string draw;
      std::string xobjects;
      std::string annots;
      for (std::size_t k = 0; k < sheet.pages.size(); ++k) {
        const PagePlacement& p = sheet.pages[k];
        // Form space (pixels, y up after the form's matrix) to the sheet.
        const double bottom = sheet.heightPoints - p.top - p.scale * height_;
        draw.append("q ");
        Numbers(draw, {p.scale, 0, 0, p.scale, p.left, bottom});
        draw.append("cm /P").append(std::to_string(k)).append(" Do Q\n");
        xobjects.append("/P").append(std::to_string(k)).push_back(' ');
        xobjects.append(ObjectWriter::Ref(objects.forms[static_cast<std::size_t>(p.page)]));
        const auto [from, to] = linksOf.equal_range(p.page);
        for (auto it = from; it != to; ++it) AppendLink(annots, objects, sheet, p, *it->second);
      }
      const std::int32_t contents = out.Reserve();
      out.Stream(contents, "", Bytes(draw.begin(), draw.end()));
      std::string page =
          "<</Type/Page/Parent " + ObjectWriter::Ref(objects.pageTree) + "/MediaBox[0 0 ";
      Numbers(page, {sheet.widthPoints, sheet.heightPoints});
      page.append("]/Resources<</XObject<<").append(xobjects).append(">>>>/Contents ");
      page.append(ObjectWriter::Ref(contents));
      if (!annots.empty()) page.append("/Annots[").append(annots).append("]");
      page.append(">>");
      out.Object(objects.sheetObjects[s], page);
      kids.append(ObjectWriter::Ref(objects.sheetObjects[s])).push_back(' ');
    }
    out.Object(objects.pageTree,
               "<</Type/Pages/Count " + std::to_string(sheets.size()) + "/Kids[" + kids + "]>>");
  }

  // The link annotation of `link` on page placement `p` of `sheet`; none
  // when its target is on no sheet.
  void AppendLink(std::string& annots, const DocumentObjects& objects, const Sheet& sheet,
                  const PagePlacement& p, const PageLink& link) const {
    if (objects.sheetOf[static_cast<std::size_t>(link.target)] < 0) return;
    // The area on the sheet, kept inside it (an area drawn to the page's
    // edge must not reach past the paper).
    const auto across = [&](double x) { return std::clamp(x, 0.0, sheet.widthPoints); };
    const auto down = [&](double y) { return std::clamp(y, 0.0, sheet.heightPoints); };
    const double x0 = across(p.left + p.scale * link.area.left);
    const double x1 = across(p.left + p.scale * link.area.right);
    const double y0 = down(sheet.heightPoints - p.top - p.scale * link.area.bottom);
    const double y1 = down(sheet.heightPoints - p.top - p.scale * link.area.top);
    if (x1 <= x0 || y1 <= y0) return;
    annots.append("<</Type/Annot/Subtype/Link/Border[0 0 0]/Rect[");
    Numbers(annots, {x0, y0, x1, y1});
    annots.append("]/Dest").append(Destination(objects, link.target)).append(">>\n");
  }

  // The catalogue: the page tree, the outline and the page labels.
  static void WriteCatalog(ObjectWriter& out, const DocumentObjects& objects,
                           std::size_t sheetCount, const DocumentLayout& layout) {
    std::string root = "<</Type/Catalog/Pages " + ObjectWriter::Ref(objects.pageTree);
    if (!layout.outline.empty()) {
      const auto destination = [&](std::int32_t page) { return Destination(objects, page); };
      root.append("/Outlines ").append(ObjectWriter::Ref(WriteOutline(out, layout, destination)));
      root.append("/PageMode/UseOutlines");
    }
    if (layout.duplexShortEdge) {
      root.append("/ViewerPreferences<</Duplex/DuplexFlipShortEdge/PrintScaling/None>>");
    }
    if (layout.sheetLabels.size() == sheetCount && sheetCount > 0) {
      root.append("/PageLabels<</Nums[");
      for (std::size_t s = 0; s < sheetCount; ++s) {
        root.append(std::to_string(s)).append("<</P");
        TextString(root, layout.sheetLabels[s]);
        root.append(">>");
      }
      root.append("]>>");
    }
    root.append(">>");
    out.Object(objects.catalog, root);
  }

  // The document information: producer, title, creator, creation date.
  static void WriteInfo(ObjectWriter& out, std::int32_t info, const DocumentLayout& layout) {
    std::string about = "<</Producer";
    TextString(about, "Trevalda");
    if (!layout.title.empty()) {
      about.append("/Title");
      TextString(about, layout.title);
    }
    if (!layout.creator.empty()) {
      about.append("/Creator");
      TextString(about, layout.creator);
    }
    if (!layout.creationDate.empty()) {
      about.append("/CreationDate");
      LiteralString(about, layout.creationDate);
    }
    about.append(">>");
    out.Object(info, about);
  }

  // The outline as a tree: an item's parent is the nearest item before it
  // one level up (the levels were checked with the layout). Items with
  // children start closed.
  template <typename Destination>
  static std::int32_t WriteOutline(ObjectWriter& out, const DocumentLayout& layout,
                                   const Destination& destination) {
    const std::int32_t root = out.Reserve();
    const std::size_t count = layout.outline.size();
    std::vector<std::int32_t> items;
    for (std::size_t i = 0; i < count; ++i) items.push_back(out.Reserve());
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> parent(count, kNone);
    std::vector<std::size_t> previous(count, kNone);
    std::vector<std::size_t> next(count, kNone);
    std::vector<std::size_t> first(count, kNone);
    std::vector<std::size_t> last(count, kNone);
    std::vector<std::int32_t> children(count, 0);
    std::vector<std::size_t> open;  // the last item seen at each level
    std::size_t rootFirst = kNone;
    std::size_t rootLast = kNone;
    std::int32_t rootChildren = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const auto level = static_cast<std::size_t>(std::clamp(layout.outline[i].level, 0, 32));
      open.resize(level);
      if (level > 0) parent[i] = open.back();
      std::size_t& headFirst = level > 0 ? first[parent[i]] : rootFirst;
      std::size_t& headLast = level > 0 ? last[parent[i]] : rootLast;
      if (headFirst == kNone) headFirst = i;
      if (headLast != kNone) {
        previous[i] = headLast;
        next[headLast] = i;
      }
      headLast = i;
      ++(level > 0 ? children[parent[i]] : rootChildren);
      open.push_back(i);
    }
    const auto ref = [&](std::size_t i) { return ObjectWriter::Ref(items[i]); };
    for (std::size_t i = 0; i < count; ++i) {
      std::string item = "<</Title";
      TextString(item, layout.outline[i].title);
      item.append("/Parent ").append(parent[i] == kNone ? ObjectWriter::Ref(root) : ref(parent[i]));
      if (previous[i] != kNone) item.append("/Prev ").append(ref(previous[i]));
      if (next[i] != kNone) item.append("/Next ").append(ref(next[i]));
      if (first[i] != kNone) {
        item.append("/First ").append(ref(first[i])).append("/Last ").append(ref(last[i]));
        item.append("/Count -").append(std::to_string(children[i]));
      }
      item.append("/Dest").append(destination(layout.outline[i].page)).append(">>");
      out.Object(items[i], item);
    }
    out.Object(root, "<</Type/Outlines/First " + ref(rootFirst) + "/Last " + ref(rootLast) +
                         "/Count " + std::to_string(rootChildren) + ">>");
    return root;
  }

  // The font dictionary, its descriptor and the embedded program; returns
  // the dictionary's number, 0 on failure.
  static std::int32_t WriteFont(ObjectWriter& out, const DocumentFont& font) {
    std::optional<Bytes> program = Deflate(
        std::string_view(reinterpret_cast<const char*>(font.program.data()), font.program.size()));
    if (!program) return 0;
    const std::int32_t dictionary = out.Reserve();
    const std::int32_t descriptor = out.Reserve();
    const std::int32_t file = out.Reserve();
    std::string name = "/";  // appended, for the same GCC 12 misreading
    name += SubsetTag(font.program);
    name += font.postScriptName;
    out.Stream(file, "/Length1 " + std::to_string(font.program.size()) + "/Filter/FlateDecode",
               *program);
    constexpr int kFixedPitch = 1;
    constexpr int kSerif = 2;
    constexpr int kNonsymbolic = 32;
    constexpr int kItalic = 64;
    const int flags = kNonsymbolic | (font.fixedPitch ? kFixedPitch : 0) |
                      (font.serif ? kSerif : 0) | (font.italic ? kItalic : 0);
    std::string d = "<</Type/FontDescriptor/FontName" + name + "/Flags " + std::to_string(flags);
    d.append("/FontBBox[");
    for (std::int32_t v : font.boundingBox) d.append(std::to_string(v)).push_back(' ');
    d.append("]/ItalicAngle 0/Ascent ").append(std::to_string(font.ascender));
    d.append("/Descent ").append(std::to_string(font.descender));
    d.append("/CapHeight ").append(std::to_string(font.capHeight));
    d.append("/StemV ").append(font.syntheticBold ? "140" : "80");
    d.append("/FontFile2 ").append(ObjectWriter::Ref(file)).append(">>");
    out.Object(descriptor, d);
    std::string f = "<</Type/Font/Subtype/TrueType/BaseFont" + name;
    f.append("/FirstChar ").append(std::to_string(kFirstDocumentCode));
    f.append("/LastChar ").append(std::to_string(kLastDocumentCode)).append("/Widths[");
    for (std::int32_t w : font.widths) f.append(std::to_string(w)).push_back(' ');
    f.append("]/Encoding/WinAnsiEncoding/FontDescriptor ").append(ObjectWriter::Ref(descriptor));
    f.append(">>");
    out.Object(dictionary, f);
    return dictionary;
  }

  std::int32_t width_;
  std::int32_t height_;
  std::string content_;  // the page being drawn
  std::vector<Bytes> pages_;
  std::shared_ptr<const DocumentFont> font_;  // the selected font
  bool fontRefused_ = false;                  // the last font asked for cannot be embedded
  std::vector<std::shared_ptr<const DocumentFont>> resources_;  // the fonts text was set in
  std::map<const DocumentFont*, std::int32_t> resourceOf_;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<DocumentSurface> MakePdfSurface(std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) return nullptr;
  return std::make_unique<PdfSurface>(width, height);
}

}  // namespace trevalda::canvas
