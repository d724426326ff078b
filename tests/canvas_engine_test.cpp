// Canvases, attach, clear, colours, positions and lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "canvas/bitmap_file.h"
#include "canvas/canvas.h"
#include "canvas/surface.h"
#include "canvas/test_hooks.h"
#include "canvas/text.h"
#include "test_support.h"

namespace trevalda {
namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kBlack = 0x000000;
constexpr Color kDarkRed = 0x00008B;
constexpr Color kGreen = 0x00FF00;
constexpr CanvasHandle kBogusHandle = 0xDEAD;

using test::ScopedCanvas;

using test::Pixels;
using test::State;

// Pixels of `row` in [from, to) that have `color`.
int CountInRow(std::int32_t row, std::int32_t from, std::int32_t to, Color color) {
  int count = 0;
  for (std::int32_t x = from; x < to; ++x) {
    count += ReadCanvasPixel(x, row) == color ? 1 : 0;
  }
  return count;
}

int CountColor(std::int32_t width, std::int32_t height, Color color) {
  int count = 0;
  for (std::int32_t y = 0; y < height; ++y) {
    count += CountInRow(y, 0, width, color);
  }
  return count;
}

TEST(CanvasCreateTest, RejectsEmptySizesAndBogusHandles) {
  EXPECT_EQ(CreateCanvas(0, 10), 0u);
  EXPECT_EQ(CreateCanvas(10, -1), 0u);
  TakeCanvasError();
  AttachCanvas(kBogusHandle);
  EXPECT_EQ(TakeCanvasError(), kErrorInvalidHandle);
  EXPECT_EQ(TakeCanvasError(), 0) << "reading the code clears it";
  CanvasState state;
  EXPECT_FALSE(ReadCanvasState(state));
}

TEST(CanvasCreateTest, NewCanvasHasTheDefaultState) {
  const CanvasHandle handle = CreateCanvas(20, 10);
  ASSERT_NE(handle, 0u);
  AttachCanvas(handle);
  const CanvasState state = State();
  EXPECT_EQ(state.width, 20);
  EXPECT_EQ(state.height, 10);
  EXPECT_EQ(state.x, 0);
  EXPECT_EQ(state.y, 0);
  EXPECT_EQ(state.foreColor, kWindowTextColor);
  EXPECT_EQ(state.backColor, kButtonFaceColor);
  EXPECT_EQ(state.penWidth, 0);
  EXPECT_EQ(state.fontNumber, 1);
  EXPECT_GT(state.lineHeight, 0);
  ReleaseCanvas(handle);
  CanvasState released;
  EXPECT_FALSE(ReadCanvasState(released)) << "a released canvas draws nothing";
}

TEST(CanvasClearTest, WhiteClearFillsEveryPixelAndResetsThePosition) {
  ScopedCanvas canvas(794, 1123, kBlack);
  SetPosition(300, 400);
  ClearCanvas(kWhite, 0);
  EXPECT_EQ(State().x, 0);
  EXPECT_EQ(State().y, 0);
  for (const std::uint8_t byte : Pixels()) {
    if (byte != 0xFF && byte != 0x00) {
      FAIL() << "unexpected byte " << int{byte};
    }
  }
  EXPECT_EQ(CountColor(794, 1123, kWhite), 794 * 1123);
}

TEST(CanvasClearTest, DefaultColourIsTheBackgroundAndTransparentPaintsNothing) {
  ScopedCanvas canvas(16, 16);
  SetBackColor(kTransparent);
  SetPosition(5, 5);
  ClearCanvas(kDefaultColor, 0);
  EXPECT_EQ(CountColor(16, 16, kWhite), 256);
  EXPECT_EQ(State().x, 0) << "the position returns to (0, 0) even when nothing is painted";
  ClearCanvas(kTransparent, 0);
  EXPECT_EQ(CountColor(16, 16, kWhite), 256);

  SetBackColor(kDarkRed);
  ClearCanvas(kDefaultColor, 0);
  EXPECT_EQ(CountColor(16, 16, kDarkRed), 256);
  SetBackColor(kDefaultColor);
  ClearCanvas(kDefaultColor, 0);
  EXPECT_EQ(CountColor(16, 16, kButtonFaceColor), 256);
}

TEST(CanvasClearTest, StylesAboveSixAreSolidAndHatchesDiffer) {
  constexpr std::int32_t kSize = 32;
  ScopedCanvas canvas(kSize, kSize);
  ClearCanvas(kDarkRed, 7);
  EXPECT_EQ(CountColor(kSize, kSize, kDarkRed), kSize * kSize) << "style 7 fills solid";
  ClearCanvas(kWhite, 0);
  ClearCanvas(kDarkRed, 0);
  const std::vector<std::uint8_t> solid = Pixels();

  std::vector<std::vector<std::uint8_t>> hatches;
  for (std::int32_t style = 1; style <= 6; ++style) {
    SCOPED_TRACE("style " + std::to_string(style));
    ClearCanvas(kWhite, 0);
    ClearCanvas(kDarkRed, style);
    const int red = CountColor(kSize, kSize, kDarkRed);
    EXPECT_GT(red, 0);
    EXPECT_EQ(red + CountColor(kSize, kSize, kWhite), kSize * kSize)
        << "a hatch paints its lines and leaves the rest";
    hatches.push_back(Pixels());
    EXPECT_NE(hatches.back(), solid);
  }
  for (std::size_t a = 0; a < hatches.size(); ++a) {
    for (std::size_t b = a + 1; b < hatches.size(); ++b) {
      EXPECT_NE(hatches[a], hatches[b]) << "styles " << a + 1 << " and " << b + 1;
    }
  }
}

TEST(CanvasColorTest, MakeColorClampsEachComponent) {
  struct Case {
    std::int32_t red, green, blue;
    Color expected;
  };
  const Case cases[] = {
      {139, 0, 0, 0x00008B}, {300, -5, 0, 0x0000FF},    {0, 0, 255, 0xFF0000},
      {1, 2, 3, 0x030201},   {-1, 256, 1000, 0xFFFF00}, {255, 255, 255, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeColor(c.red, c.green, c.blue), c.expected)
        << c.red << ", " << c.green << ", " << c.blue;
  }
}

TEST(CanvasColorTest, ForeAndBackColourRules) {
  ScopedCanvas canvas(4, 4);
  SetForeColor(static_cast<Color>(0x7F123456));
  EXPECT_EQ(State().foreColor, 0x123456) << "the top byte is cleared";
  SetForeColor(kUnchanged);
  EXPECT_EQ(State().foreColor, 0x123456);
  SetForeColor(kDefaultColor);
  EXPECT_EQ(State().foreColor, kWindowTextColor);

  SetBackColor(static_cast<Color>(0x01ABCDEF));
  EXPECT_EQ(State().backColor, 0xABCDEF);
  SetBackColor(kUnchanged);
  EXPECT_EQ(State().backColor, 0xABCDEF);
  SetBackColor(kTransparent);
  EXPECT_EQ(State().backColor, kTransparent);
  SetBackColor(kUnchanged);
  EXPECT_EQ(State().backColor, kTransparent);
  SetBackColor(kDefaultColor);
  EXPECT_EQ(State().backColor, kButtonFaceColor);
}

TEST(CanvasPositionTest, PositionsRoundHalvesToEven) {
  ScopedCanvas canvas(4, 4);
  struct Case {
    double in;
    std::int32_t out;
  };
  const Case cases[] = {{2.5, 2},     {3.5, 4}, {-2.5, -2}, {-3.5, -4},        {0.49999, 0},
                        {0.50001, 1}, {7.0, 7}, {-0.4, 0},  {1e12, 2147483647}};
  for (const Case& c : cases) {
    SetPosition(c.in, -c.in);
    const CanvasState state = State();
    EXPECT_EQ(state.x, c.out) << c.in;
    if (c.in < 1e9) {
      EXPECT_EQ(state.y, -c.out) << -c.in;
    }
    SetPosition(0, 0);
    DrawLineTo(c.in, 0, kBlack);
    EXPECT_EQ(State().x, c.out) << "DrawLineTo rounds the same way: " << c.in;
  }
}

TEST(CanvasLineTest, ThinLineLeavesOutItsEndPixel) {
  ScopedCanvas canvas(794, 120);
  SetPenWidth(1);
  SetPosition(10, 80);
  DrawLineTo(780, 80, kBlack);
  EXPECT_EQ(CountInRow(80, 10, 780, kBlack), 770);
  EXPECT_EQ(ReadCanvasPixel(9, 80), kWhite);
  EXPECT_EQ(ReadCanvasPixel(780, 80), kWhite);
  EXPECT_EQ(CountInRow(79, 0, 794, kWhite), 794);
  EXPECT_EQ(CountInRow(81, 0, 794, kWhite), 794);
  EXPECT_EQ(State().x, 780);
  EXPECT_EQ(State().y, 80);
}

TEST(CanvasLineTest, ThinLinesInEveryDirectionCoverStartButNotEnd) {
  struct Case {
    std::int32_t x0, y0, x1, y1;
    std::int32_t penWidth;
  };
  const Case cases[] = {
      {5, 10, 25, 10, 0}, {25, 10, 5, 10, 1}, {10, 3, 10, 28, 0}, {10, 28, 10, 3, 1},
      {2, 2, 22, 22, 1},  {22, 2, 2, 22, 0},  {3, 5, 27, 12, 1},  {27, 12, 3, 5, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x0) + "," + std::to_string(c.y0) + " -> " + std::to_string(c.x1) +
                 "," + std::to_string(c.y1));
    ScopedCanvas canvas(32, 32);
    SetPenWidth(c.penWidth);
    SetPosition(c.x0, c.y0);
    DrawLineTo(c.x1, c.y1, kDarkRed);
    EXPECT_EQ(ReadCanvasPixel(c.x0, c.y0), kDarkRed);
    EXPECT_EQ(ReadCanvasPixel(c.x1, c.y1), kWhite);
    const int length = std::max(std::abs(c.x1 - c.x0), std::abs(c.y1 - c.y0));
    EXPECT_EQ(CountColor(32, 32, kDarkRed), length) << "one pixel per step";
  }
}

TEST(CanvasLineTest, ConsecutiveLinesFormAConnectedPath) {
  ScopedCanvas canvas(64, 64);
  SetPosition(10, 10);
  DrawLineTo(50, 10, kBlack);
  DrawLineTo(50, 40, kBlack);
  DrawLineTo(10, 40, kBlack);
  DrawLineTo(10, 10, kBlack);
  EXPECT_EQ(CountColor(64, 64, kBlack), 2 * 40 + 2 * 30) << "a closed rectangle outline";
  for (const auto& [x, y] : {std::pair{10, 10}, {50, 10}, {50, 40}, {10, 40}}) {
    EXPECT_EQ(ReadCanvasPixel(x, y), kBlack) << x << "," << y;
  }
}

TEST(CanvasLineTest, DefaultLineColourIsTheForeground) {
  ScopedCanvas canvas(16, 4);
  SetForeColor(kDarkRed);
  SetPosition(0, 1);
  DrawLineTo(16, 1, kDefaultColor);
  EXPECT_EQ(CountInRow(1, 0, 16, kDarkRed), 16);
}

TEST(CanvasLineTest, WideRuleCoversFiveRowsWithRoundEnds) {
  ScopedCanvas canvas(400, 100);
  SetPenWidth(5);
  SetPosition(100, 50);
  DrawLineTo(300, 50, kDarkRed);
  for (std::int32_t y = 48; y <= 52; ++y) {
    EXPECT_EQ(CountInRow(y, 100, 301, kDarkRed), 201) << "row " << y;
  }
  EXPECT_EQ(CountInRow(47, 0, 400, kWhite), 400);
  EXPECT_EQ(CountInRow(53, 0, 400, kWhite), 400);

  struct Probe {
    std::int32_t x, y;
    bool painted;
  };
  // The caps are discs of radius 2.5 around the end pixels' centres.
  const Probe probes[] = {
      {98, 50, true},  {97, 50, false},  {99, 48, true},   {98, 48, false},
      {98, 52, false}, {99, 52, true},   {302, 50, true},  {303, 50, false},
      {301, 48, true}, {302, 48, false}, {302, 52, false}, {301, 52, true},
  };
  for (const Probe& p : probes) {
    EXPECT_EQ(ReadCanvasPixel(p.x, p.y), p.painted ? kDarkRed : kWhite) << p.x << "," << p.y;
  }
  EXPECT_EQ(State().x, 300);
}

TEST(CanvasLineTest, LinesFarOffTheRasterAreClipped) {
  ScopedCanvas canvas(50, 50);
  SetPosition(-2e9, 10);
  DrawLineTo(2e9, 10, kBlack);
  EXPECT_EQ(CountInRow(10, 0, 50, kBlack), 50);
  SetPenWidth(5);
  SetPosition(25, -2e9);
  DrawLineTo(25, 2e9, kDarkRed);
  EXPECT_EQ(CountInRow(30, 23, 28, kDarkRed), 5);
  SetPosition(-2e9, -2e9);
  DrawLineTo(2e9, 2e9, kBlack);
  EXPECT_EQ(State().x, 2000000000);
}

TEST(CanvasAttachTest, NothingIsDrawnWithoutAnAttachedCanvas) {
  ScopedCanvas canvas(64, 64);
  SetForeColor(kDarkRed);
  const std::vector<std::uint8_t> before = Pixels();

  const auto drawEverything = [] {
    ClearCanvas(kBlack, 0);
    SetPenWidth(9);
    SetForeColor(kGreen);
    SetBackColor(kTransparent);
    SetPosition(5, 5);
    DrawLineTo(60, 60, kBlack);
    SetFont(2);
    PrintText("Hola");
  };
  // A thread that never attached anything.
  std::thread(drawEverything).join();
  // This thread after attaching a handle that names no canvas.
  AttachCanvas(kBogusHandle);
  EXPECT_EQ(TakeCanvasError(), kErrorInvalidHandle);
  drawEverything();

  AttachCanvas(canvas.handle());
  EXPECT_EQ(TakeCanvasError(), 0);
  EXPECT_EQ(Pixels(), before);
  const CanvasState state = State();
  EXPECT_EQ(state.penWidth, 0);
  EXPECT_EQ(state.foreColor, kDarkRed);
  EXPECT_EQ(state.fontNumber, 1);
}

TEST(CanvasAttachTest, EachThreadHasItsOwnAttachedCanvas) {
  ScopedCanvas mine(8, 8);
  CanvasHandle other = 0;
  std::thread([&] {
    other = CreateCanvas(8, 8);
    AttachCanvas(other);
    ClearCanvas(kBlack, 0);
  }).join();
  EXPECT_EQ(CountColor(8, 8, kWhite), 64) << "the other thread drew on its own canvas";
  AttachCanvas(other);
  EXPECT_EQ(CountColor(8, 8, kBlack), 64);
  ReleaseCanvas(other);
}

// Draws a small page-like scene and returns its pixels.
std::vector<std::uint8_t> DrawScene() {
  const CanvasHandle handle = CreateCanvas(300, 200);
  AttachCanvas(handle);
  ClearCanvas(kWhite, 0);
  SetPenWidth(5);
  SetPosition(10, 20);
  DrawLineTo(290, 20, MakeColor(139, 0, 0));
  SetPenWidth(1);
  for (int i = 0; i < 10; ++i) {
    SetPosition(10, 40 + 12 * i);
    DrawLineTo(290, 40 + 12 * i, kBlack);
  }
  const std::int32_t font = NewFont("New Times", 10, kFontBold);
  SetFont(font);
  SetForeColor(kBlack);
  SetBackColor(kTransparent);
  SetPosition(20, 150);
  PrintText("Diciembre 2026");
  Bitmap24 bitmap;
  CopyCanvasBitmap(bitmap);
  ReleaseCanvas(handle);
  return bitmap.rows;
}

TEST(CanvasThreadTest, TwoThreadsDrawingTheSameSceneGetTheSamePixels) {
  std::vector<std::uint8_t> first;
  std::vector<std::uint8_t> second;
  for (int round = 0; round < 3; ++round) {
    std::thread a([&] { first = DrawScene(); });
    std::thread b([&] { second = DrawScene(); });
    a.join();
    b.join();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, second);
  }
  EXPECT_EQ(DrawScene(), first);
}

// A raster that refuses to fill or draw a given number of times.
class RefusingSurface final : public canvas::Surface {
 public:
  RefusingSurface(int refusals, int* attempts) : refusals_(refusals), attempts_(attempts) {}
  std::int32_t Width() const override { return 10; }
  std::int32_t Height() const override { return 10; }
  bool Fill(canvas::Rgb, canvas::FillPattern) override { return Attempt(); }
  bool StrokeLine(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                  canvas::Rgb) override {
    return Attempt();
  }
  std::optional<canvas::FontMetrics> SelectFont(
      std::shared_ptr<const canvas::PlatformFont>) override {
    return canvas::FontMetrics{12, 0, 5};
  }
  std::optional<std::int32_t> DrawTextRun(const canvas::TextRun&) override { return 0; }
  bool CopyBgr24BottomUp(std::uint8_t*, std::int32_t) const override { return true; }
  canvas::Rgb Pixel(std::int32_t, std::int32_t) const override { return 0; }

 private:
  bool Attempt() {
    ++*attempts_;
    return *attempts_ > refusals_;
  }
  int refusals_;
  int* attempts_;
};

TEST(CanvasRetryTest, FailedFillsAndLinesAreTriedTenTimesAtMost) {
  struct Case {
    int refusals;
    int expectedAttempts;
  };
  for (const Case c : {Case{0, 1}, Case{3, 4}, Case{9, 10}, Case{50, 10}}) {
    for (const bool line : {false, true}) {
      SCOPED_TRACE(std::to_string(c.refusals) + (line ? " line" : " fill"));
      int attempts = 0;
      canvas::SetSurfaceFactoryForTesting([&](std::int32_t, std::int32_t) {
        return std::make_unique<RefusingSurface>(c.refusals, &attempts);
      });
      const CanvasHandle handle = CreateCanvas(10, 10);
      canvas::SetSurfaceFactoryForTesting(nullptr);
      AttachCanvas(handle);
      const auto start = std::chrono::steady_clock::now();
      if (line) {
        DrawLineTo(7, 3, kBlack);
        EXPECT_EQ(State().x, 7) << "the position moves even when the line fails";
      } else {
        SetPosition(4, 4);
        ClearCanvas(kWhite, 0);
        EXPECT_EQ(State().x, 0);
      }
      const auto elapsed = std::chrono::steady_clock::now() - start;
      EXPECT_EQ(attempts, c.expectedAttempts);
      const int pauses = std::min(c.refusals, 9);
      EXPECT_GE(elapsed, std::chrono::milliseconds(2 * pauses));
      ReleaseCanvas(handle);
    }
  }
}

}  // namespace
}  // namespace trevalda
