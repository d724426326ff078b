// The PDF writer read back by a small reader of its own: the cross-reference
// table, the objects it names and what the layout asked for. Runs on every
// platform (the font program comes from the platform's font).
#include <gtest/gtest.h>

#include <cstdio>

#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/document_font.h"
#include "canvas/pdf_document.h"
#include "canvas/text.h"
#include "test_support.h"

namespace trevalda {
namespace {

// Draws a rule and a text on the document's current page and ends it.
void DrawPage(PdfDocument& document, std::string_view text) {
  AttachCanvas(document.Canvas());
  ClearCanvas(0xFFFFFF, 0);
  SetPenWidth(5);
  SetPosition(10, 30);
  DrawLineTo(350, 30, 0x00008B);
  SetFont(NewFont("New Times", 10, kFontBold));
  SetPosition(10, 8);
  PrintText(text);
  ASSERT_TRUE(document.EndPage());
}

TEST(PdfWriterTest, CrossReferencesNameEveryObjectAndTheLayoutIsWritten) {
  const auto folder = test::FreshFolder("pdf-writer");
  PdfDocument document(794, 1123);
  ASSERT_TRUE(document.Open());
  DrawPage(document, "Diciembre");
  DrawPage(document, "A\xF1o (2027) \\");
  canvas::DocumentLayout layout;
  layout.links.push_back({0, {0, 0, 100, 20}, 1});
  layout.outline.push_back({"\xCDndice", 0});
  layout.sheetLabels = {"uno", "dos"};
  layout.title = "Agenda 2027";
  ASSERT_TRUE(document.Save(folder / "a.pdf", layout).Saved());

  const std::vector<std::uint8_t> bytes = test::ReadAll(folder / "a.pdf");
  const std::string pdf(bytes.begin(), bytes.end());
  ASSERT_EQ(pdf.rfind("%PDF-1.7\n", 0), 0u);
  ASSERT_GT(pdf.size(), 7u);
  EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
  const std::size_t startxref = pdf.rfind("startxref\n");
  ASSERT_NE(startxref, std::string::npos);
  const std::size_t xref = std::stoul(pdf.substr(startxref + 10));
  ASSERT_EQ(pdf.compare(xref, 7, "xref\n0 "), 0);
  const std::size_t count = std::stoul(pdf.substr(xref + 7));
  std::size_t entry = pdf.find('\n', xref + 7) + 1 + 20;  // past object 0
  for (std::size_t n = 1; n < count; ++n, entry += 20) {
    const std::size_t offset = std::stoul(pdf.substr(entry, 10));
    EXPECT_EQ(pdf.compare(offset, std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0)
        << "object " << n;
  }
  for (const char* expected :
       {"/Subtype/TrueType", "/Encoding/WinAnsiEncoding", "/FontFile2 ", "/Subtype/Link",
        "/Outlines ", "/PageLabels<</Nums[0<</P<FEFF0075006E006F>>>1",
        "/Title<FEFF004100670065006E0064006100200032003000320037>", "/Count 2/Kids["}) {
    EXPECT_NE(pdf.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(pdf.find("/FontFile2 ", pdf.find("/FontFile2 ") + 1), std::string::npos)
      << "the font is embedded once";
}

// The outline's levels make a tree: parents know their first and last
// children and start closed; a level that skips one is refused.
TEST(PdfWriterTest, TheOutlineIsATreeByLevels) {
  const auto folder = test::FreshFolder("pdf-outline");
  const auto save = [&](const std::vector<canvas::OutlineItem>& outline) {
    PdfDocument document(794, 1123);
    EXPECT_TRUE(document.Open());
    DrawPage(document, "uno");
    DrawPage(document, "dos");
    canvas::DocumentLayout layout;
    layout.outline = outline;
    return document.Save(folder / "o.pdf", layout).Saved();
  };
  ASSERT_TRUE(save({{"A", 0, 0}, {"B", 1, 1}, {"C", 1, 2}, {"D", 1, 1}, {"E", 0, 0}}));
  const std::vector<std::uint8_t> bytes = test::ReadAll(folder / "o.pdf");
  const std::string pdf(bytes.begin(), bytes.end());
  // Each item's dictionary, by its one-letter title (UTF-16 with a BOM).
  const auto item = [&](char title) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "<FEFF00%02X>", title);
    const std::size_t at = pdf.find(std::string("/Title") + hex);
    return at == std::string::npos ? std::string() : pdf.substr(at, pdf.find(">>", at) - at);
  };
  const auto number = [&](char title) {
    const std::size_t at = pdf.find(item(title));
    const std::size_t start = pdf.rfind(" 0 obj", at);
    return pdf.substr(pdf.rfind('\n', start) + 1, start - pdf.rfind('\n', start) - 1) + " 0 R";
  };
  EXPECT_NE(item('A').find("/First " + number('B') + "/Last " + number('D') + "/Count -2"),
            std::string::npos)
      << item('A');
  EXPECT_NE(item('B').find("/First " + number('C') + "/Last " + number('C') + "/Count -1"),
            std::string::npos)
      << item('B');
  EXPECT_NE(item('C').find("/Parent " + number('B')), std::string::npos) << item('C');
  EXPECT_NE(item('D').find("/Prev " + number('B')), std::string::npos) << item('D');
  EXPECT_EQ(item('D').find("/First"), std::string::npos) << item('D');
  EXPECT_NE(item('E').find("/Prev " + number('A')), std::string::npos) << item('E');
  EXPECT_NE(pdf.find("/Type/Outlines/First " + number('A') + "/Last " + number('E') + "/Count 2"),
            std::string::npos);

  EXPECT_FALSE(save({{"A", 0, 0}, {"C", 1, 2}}));
  EXPECT_FALSE(save({{"B", 1, 1}}));
}

TEST(PdfWriterTest, ALayoutNamingAnUndrawnPageWritesNothing) {
  const auto folder = test::FreshFolder("pdf-writer-bad");
  PdfDocument document(794, 1123);
  ASSERT_TRUE(document.Open());
  DrawPage(document, "uno");
  canvas::DocumentLayout layout;
  layout.links.push_back({0, {0, 0, 10, 10}, 3});
  const SaveResult result = document.Save(folder / "b.pdf", layout);
  EXPECT_FALSE(result.Saved());
  EXPECT_EQ(result.step, "componer");
  EXPECT_TRUE(test::Listing(folder).empty());
}

// A document sets every glyph where the raster does: each beginning of a
// long line measures the same on a raster canvas and on a document page,
// in the sizes and weights the pages use. (A reader that moves along by the
// face's own widths drifts from the raster's whole-pixel advances, some
// pixels over a line.)
TEST(PdfWriterTest, GlyphsStartWhereTheRasterPutsThem) {
  const std::string entry =
      "Reuni\xF3n con el equipo de dise\xF1o para revisar el presupuesto anual y los plazos de "
      "entrega finales.";
  const std::string symbols =
      "\xA1\xBF\xAB\xBB@#$%&*+=<>~^|{}[]()!?\xA7\xB6\xB0\xB1\xD7\xF7\xB5\x80\xA3\xA5\xA9\xAE"
      "\x99\x95\x85\x96\x97\x89\x86\x87 ----- ..... ,,,,, ;;;;; iiiii lllll WWWWW mmmmm";
  PdfDocument document(794, 1123);
  ASSERT_TRUE(document.Open());
  test::ScopedCanvas raster(794, 100);
  const auto starts = [](CanvasHandle canvas, std::int32_t font, const std::string& text) {
    AttachCanvas(canvas);
    SetFont(font);
    std::vector<std::int32_t> found;
    for (std::size_t n = 1; n <= text.size(); ++n) found.push_back(TextWidth(text.substr(0, n)));
    return found;
  };
  for (const float points : {8.0f, 10.0f, 38.0f}) {
    for (const std::int32_t style : {kFontBold, 0}) {
      const std::int32_t font = NewFont("New Times", points, style);
      for (const std::string& text : {entry, symbols}) {
        const std::vector<std::int32_t> onRaster = starts(raster.handle(), font, text);
        EXPECT_EQ(starts(document.Canvas(), font, text), onRaster)
            << points << " points, style " << style << ": " << text;
        EXPECT_GT(onRaster.back(), onRaster.front());
      }
    }
  }
  AttachCanvas(document.Canvas());
  SetPosition(10, 8);
  PrintText(entry);
  EXPECT_EQ(TakeTextProblem(), "");
}

// Faces the writer cannot embed give no program rather than a broken one.
TEST(PdfWriterTest, FacesWithoutUsableOutlinesGiveNoProgram) {
  const auto face = [](std::uint32_t absent, std::uint8_t glyphs) {
    return [=](std::uint32_t tag) -> std::optional<std::vector<std::uint8_t>> {
      if (tag == absent) return std::nullopt;
      std::vector<std::uint8_t> table(64, 0);
      table[4] = glyphs;  // maxp: the glyph count's high byte
      return table;
    };
  };
  EXPECT_FALSE(canvas::BuildEmbeddedTrueType(face(0x676C7966, 0), {}).has_value());  // no glyf
  EXPECT_FALSE(canvas::BuildEmbeddedTrueType(face(0, 2), {}).has_value());  // loca too short
  EXPECT_TRUE(canvas::BuildEmbeddedTrueType(face(0, 0), {}).has_value());
}

}  // namespace
}  // namespace trevalda
