// The font table, font selection and text output.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "canvas/bitmap_file.h"
#include "canvas/canvas.h"
#include "canvas/text.h"
#include "test_support.h"

namespace trevalda {
namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kBlack = 0x000000;
constexpr Color kGreen = 0x00FF00;

using test::ScopedCanvas;

using test::Pixels;
using test::State;

// Counts the pixels of the rectangle [x0, x1) x [y0, y1) that have `color`.
int Count(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, Color color) {
  int count = 0;
  for (std::int32_t y = y0; y < y1; ++y) {
    for (std::int32_t x = x0; x < x1; ++x) {
      count += ReadCanvasPixel(x, y) == color ? 1 : 0;
    }
  }
  return count;
}

// A large face for pixel tests, so glyphs and gaps are easy to tell apart.
std::int32_t LargeFont() { return NewFont("New Times", 24, kFontBold); }

TEST(FontTableTest, BuiltInFontsComeFirst) {
  EXPECT_EQ(FontFace(1), "MS Sans Serif");
  EXPECT_EQ(FontFace(2), "Lucida Console");
  EXPECT_EQ(FontFace(3), "Lucida Console");
  EXPECT_EQ(NewFont("MS Sans Serif", 8, 0), 1) << "the same description is the same font";
  EXPECT_GE(NewFont("Trevalda Prueba Uno", 10, 0), 4);
  EXPECT_EQ(FontFace(0), "");
  EXPECT_EQ(FontFace(100000), "");
}

TEST(FontTableTest, IdenticalDescriptionsShareANumber) {
  const std::int32_t bold10 = NewFont("New Times", 10, kFontBold);
  EXPECT_EQ(NewFont("New Times", 10, kFontBold), bold10);
  EXPECT_EQ(NewFont("New Times", 10, kFontBold, 0, 0, 0), bold10);

  struct Variant {
    const char* what;
    std::int32_t number;
  };
  const Variant variants[] = {
      {"size", NewFont("New Times", 38, kFontBold)},
      {"weight", NewFont("New Times", 10, 0)},
      {"italic", NewFont("New Times", 10, kFontBold | kFontItalic)},
      {"underline", NewFont("New Times", 10, kFontBold | kFontUnderline)},
      {"strike-out", NewFont("New Times", 10, kFontBold | kFontStrikeOut)},
      {"cell height", NewFont("New Times", 10, kFontBold | kFontCellHeight)},
      {"character set", NewFont("New Times", 10, kFontBold, 1)},
      {"pitch", NewFont("New Times", 10, kFontBold, 0, 2)},
      {"escapement", NewFont("New Times", 10, kFontBold, 0, 0, 900)},
      {"face", NewFont("New Times Roman", 10, kFontBold)},
  };
  for (const Variant& v : variants) {
    EXPECT_NE(v.number, bold10) << v.what;
    EXPECT_GE(v.number, 4) << v.what;
  }
  EXPECT_EQ(NewFont("New Times", 10, kFontBold | 64), bold10) << "unknown style bits are ignored";
}

TEST(FontTableTest, FaceNamesAreCutTo31Characters) {
  const std::string face40 = "Trevalda Caracteres Cuarenta 0123456789A";
  ASSERT_EQ(face40.size(), 40u);
  const std::int32_t number = NewFont(face40, 12, 0);
  EXPECT_EQ(FontFace(number), face40.substr(0, 31));
  EXPECT_EQ(NewFont(face40.substr(0, 31), 12, 0), number);
  EXPECT_EQ(NewFont(face40.substr(0, 35), 12, 0), number);
}

TEST(FontTableTest, PixelHeightsFollowTheSizeAt96DotsPerInch) {
  ScopedCanvas canvas(10, 10, kWhite);
  // Faces of their own, so every font here is made by this test, also when
  // the test runs repeatedly in one process.
  static int run = 0;
  ++run;
  const std::string heights = "Trevalda Alturas " + std::to_string(run);
  const std::string zero = "Trevalda Cero " + std::to_string(run);
  struct Case {
    const std::string& face;
    float size;
    std::int32_t style;
    std::int32_t height;
  };
  const Case cases[] = {
      {heights, 10, kFontBold, -13},
      {heights, 38, kFontBold, -51},
      {heights, 8, kFontBold, -11},
      {heights, 9, kFontBold, -12},
      {zero, 0, kFontBold, -11},  // size 0 is 8 points
      {heights, 10, kFontBold | kFontCellHeight, 13},
      {heights, 38, kFontCellHeight, 51},
      // 96 x 10.125 / 72 = 13.5: the half goes to the even neighbour.
      {heights, 10.125f, 0, -14},
      {heights, 10.875f, 0, -14},  // 14.5
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " style " + std::to_string(c.style));
    const std::int32_t number = NewFont(c.face, c.size, c.style);
    EXPECT_EQ(FontPixelHeight(number), 0) << "no platform font before the first selection";
    SetFont(number);
    EXPECT_EQ(FontPixelHeight(number), c.height);
    EXPECT_EQ(State().fontNumber, number);
  }
  EXPECT_EQ(NewFont(zero, 8, kFontBold), NewFont(zero, 0, kFontBold));
}

TEST(FontTableTest, FontOneOfANewCanvasTakesTheTruncatedHeight) {
  ScopedCanvas canvas(10, 10, kWhite);
  EXPECT_EQ(State().fontNumber, 1);
  EXPECT_EQ(FontPixelHeight(1), -10);
  const CanvasState first = State();
  SetFont(2);
  SetFont(0);
  EXPECT_EQ(State().fontNumber, 1) << "font 0 selects font 1";
  EXPECT_EQ(FontPixelHeight(1), -10) << "the platform font is made once and kept";
  EXPECT_EQ(State().lineHeight, first.lineHeight);
}

TEST(FontTableTest, SelectionKeepsTheFontWhenTheNumberIsUnknown) {
  ScopedCanvas canvas(10, 10, kWhite);
  const std::int32_t font = NewFont("New Times", 10, kFontBold);
  SetFont(font);
  const CanvasState before = State();
  SetFont(99999);
  SetFont(-4);
  const CanvasState after = State();
  EXPECT_EQ(after.fontNumber, font);
  EXPECT_EQ(after.lineHeight, before.lineHeight);
}

TEST(FontTableTest, MetricsGrowWithTheSize) {
  ScopedCanvas canvas(10, 10, kWhite);
  std::int32_t previous = 0;
  for (const float size : {8.0f, 10.0f, 24.0f, 38.0f}) {
    SetFont(NewFont("New Times", size, kFontBold));
    const CanvasState state = State();
    EXPECT_GT(state.lineHeight, previous) << size;
    EXPECT_GE(state.lineHeight, -FontPixelHeight(state.fontNumber)) << size;
    EXPECT_LT(state.lineHeight, -2 * FontPixelHeight(state.fontNumber)) << size;
    EXPECT_GT(state.averageCharWidth, 0) << size;
    EXPECT_GE(state.externalLeading, 0) << size;
    previous = state.lineHeight;
  }
}

TEST(PrintTextTest, PositionMovesToTheStartOfTheNextLine) {
  ScopedCanvas canvas(200, 100, kWhite);
  SetFont(NewFont("New Times", 10, kFontBold));
  const CanvasState font = State();
  const std::int32_t step = font.lineHeight + font.externalLeading;
  SetPosition(10, 8);
  PrintText("Hola");
  EXPECT_EQ(State().x, 0);
  EXPECT_EQ(State().y, 8 + step);
  PrintText("Semana 50");
  EXPECT_EQ(State().y, 8 + 2 * step);
}

TEST(PrintTextTest, EmptyTextOnlyMovesThePosition) {
  ScopedCanvas canvas(100, 60, kWhite);
  SetFont(LargeFont());
  SetBackColor(kBlack);  // an opaque cell would show
  const std::vector<std::uint8_t> before = Pixels();
  SetPosition(10, 8);
  PrintText("");
  EXPECT_EQ(Pixels(), before);
  EXPECT_EQ(State().x, 0);
  EXPECT_EQ(State().y, 8 + State().lineHeight + State().externalLeading);
}

TEST(PrintTextTest, TransparentTextKeepsThePixelsBetweenGlyphs) {
  ScopedCanvas canvas(300, 80, kGreen);
  SetFont(LargeFont());
  const std::int32_t lineHeight = State().lineHeight;
  SetForeColor(kBlack);
  SetBackColor(kTransparent);
  SetPosition(10, 10);
  PrintText("Hola, mundo");
  const int cell = 290 * lineHeight;
  const int green = Count(10, 10, 300, 10 + lineHeight, kGreen);
  const int black = Count(10, 10, 300, 10 + lineHeight, kBlack);
  EXPECT_GT(black, 50) << "glyphs are drawn in the foreground colour";
  EXPECT_GT(green, cell / 2) << "the background between the glyphs is untouched";
  EXPECT_LT(green + black, cell) << "glyph edges are smoothed with intermediate colours";
  EXPECT_EQ(Count(0, 0, 300, 10, kGreen), 300 * 10) << "nothing above the cell";
  EXPECT_EQ(Count(0, 10, 10, 80, kGreen), 10 * 70) << "nothing left of the position";
}

TEST(PrintTextTest, OpaqueTextFillsItsCells) {
  ScopedCanvas canvas(300, 80, kGreen);
  SetFont(LargeFont());
  const std::int32_t lineHeight = State().lineHeight;
  SetForeColor(kBlack);
  SetBackColor(kWhite);
  SetPosition(10, 10);
  PrintText("Hola, mundo");
  // The cells run from x = 10 to the advance of the text; the top row of a
  // cell is background only.
  std::int32_t end = 10;
  while (end < 300 && ReadCanvasPixel(end, 10) == kWhite) {
    ++end;
  }
  EXPECT_GT(end, 10 + 5 * 11) << "eleven characters of a 24-point font";
  EXPECT_LT(end, 300);
  EXPECT_EQ(Count(10, 10, end, 10 + lineHeight, kGreen), 0) << "no cell pixel keeps the old colour";
  EXPECT_EQ(Count(end, 10, 300, 10 + lineHeight, kGreen), (300 - end) * lineHeight);
  EXPECT_EQ(Count(0, 10 + lineHeight, 300, 80, kGreen), 300 * (70 - lineHeight));
}

TEST(PrintTextTest, TextIsCutAtTheRightEdgeAndNeverWraps) {
  ScopedCanvas canvas(60, 100, kGreen);
  SetFont(LargeFont());
  const CanvasState font = State();
  const std::int32_t bottom = 5 + font.lineHeight + font.externalLeading;
  SetForeColor(kBlack);
  SetBackColor(kWhite);
  SetPosition(0, 5);
  PrintText("MMMMMMMMMMMMMMMMMMMMMMMM");
  EXPECT_NE(ReadCanvasPixel(59, 5), kGreen) << "the text reaches the edge";
  EXPECT_EQ(Count(0, bottom, 60, 100, kGreen), 60 * (100 - bottom)) << "nothing wraps";
  EXPECT_EQ(State().x, 0);
  EXPECT_EQ(State().y, bottom);
}

TEST(PrintTextTest, TextIsClippedToItsLineAndItsStart) {
  ScopedCanvas canvas(200, 100, kGreen);
  SetFont(LargeFont());
  const CanvasState font = State();
  SetForeColor(kBlack);
  SetBackColor(kTransparent);
  // Italic glyphs lean left of their cell and descenders reach low: both
  // stay inside the clip rectangle.
  SetFont(NewFont("New Times", 30, kFontBold | kFontItalic));
  const CanvasState italic = State();
  SetPosition(40, 20);
  PrintText("jgyp fjq");
  EXPECT_EQ(Count(0, 0, 40, 100, kGreen), 40 * 100);
  const std::int32_t bottom = 20 + italic.lineHeight + italic.externalLeading;
  EXPECT_EQ(Count(0, bottom, 200, 100, kGreen), 200 * (100 - bottom));
  EXPECT_EQ(Count(0, 0, 200, 20, kGreen), 200 * 20);
  EXPECT_GT(font.lineHeight, 0);
}

TEST(PrintTextTest, Windows1252LettersAreDrawn) {
  ScopedCanvas canvas(200, 60, kWhite);
  SetFont(LargeFont());
  SetForeColor(kBlack);
  SetBackColor(kTransparent);
  SetPosition(0, 0);
  PrintText("A\xF1o");  // "Año"
  const std::vector<std::uint8_t> withTilde = Pixels();
  ClearCanvas(kWhite, 0);
  PrintText("Ano");
  EXPECT_NE(Pixels(), withTilde);
}

TEST(PrintTextTest, ForegroundColourIsUsed) {
  ScopedCanvas canvas(200, 60, kWhite);
  SetFont(LargeFont());
  SetForeColor(MakeColor(139, 0, 0));
  SetBackColor(kTransparent);
  SetPosition(5, 5);
  PrintText("07");
  EXPECT_GT(Count(0, 0, 200, 60, 0x00008B), 20);
  EXPECT_EQ(Count(0, 0, 200, 60, kBlack), 0);
}

// TextWidth is how far PrintText moves along: the width of the cells an
// opaque text fills, so a text can be made to end at a given x.
TEST(TextWidthTest, IsTheWidthOfTheCellsPrintTextFills) {
  ScopedCanvas canvas(400, 60, kGreen);
  SetFont(LargeFont());
  SetForeColor(kBlack);
  SetBackColor(kWhite);
  for (const char* text : {"Mi\xE9rcoles",
                           "S\xE1"
                           "bado",
                           "1", "Semana 53", "WWW iii"}) {
    ClearCanvas(kGreen, 0);
    const std::int32_t width = TextWidth(text);
    EXPECT_GT(width, 0) << text;
    SetPosition(10, 5);
    PrintText(text);
    EXPECT_EQ(400 - Count(0, 5, 400, 6, kGreen), width) << text;
    EXPECT_NE(ReadCanvasPixel(10 + width - 1, 5), kGreen) << text;
    EXPECT_EQ(ReadCanvasPixel(10 + width, 5), kGreen) << text;
  }
  EXPECT_EQ(TextWidth(""), 0);
  EXPECT_LT(TextWidth("i"), TextWidth("iW"));
  // Measuring draws nothing and leaves the position alone.
  ClearCanvas(kGreen, 0);
  SetPosition(33, 7);
  TextWidth("Domingo");
  EXPECT_EQ(Count(0, 0, 400, 60, kGreen), 400 * 60);
  EXPECT_EQ(State().x, 33);
  EXPECT_EQ(State().y, 7);
}

TEST(TextWidthTest, IsZeroWithoutACanvas) {
  AttachCanvas(0);
  EXPECT_EQ(TextWidth("Lunes"), 0);
}

}  // namespace
}  // namespace trevalda
