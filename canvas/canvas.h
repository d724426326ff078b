// The drawing engine: off-screen canvases, their drawing state, lines and
// colours.
//
// The engine hands out plain handles. Each thread has one attached canvas
// (none until AttachCanvas); every drawing, text and save operation acts on
// the calling thread's attached canvas and does nothing at all when none is
// attached. Coordinates are pixels with (0, 0) at the top-left pixel, x to the
// right and y downwards; positions given as floating-point numbers are rounded
// to the nearest integer, halves to the even neighbour.
//
// Colours are 0x00BBGGRR (red in the low byte). Three negative values are
// special where an operation says so: kDefaultColor (-1), kTransparent (-2)
// and kUnchanged (-3).
//
// The engine guards its process-wide state with locks, so canvases may be
// created and drawn from several threads; two threads never share an
// attached canvas unless they attach the same handle.
#pragma once

#include <cstdint>

namespace trevalda {

using Color = std::int32_t;
using CanvasHandle = std::uintptr_t;  // 0 names no canvas

inline constexpr Color kDefaultColor = -1;
inline constexpr Color kTransparent = -2;
inline constexpr Color kUnchanged = -3;

// Colours used for -1: the window-text colour (foreground) and the
// button-face colour (background) of a classic Windows desktop.
inline constexpr Color kWindowTextColor = 0x000000;
inline constexpr Color kButtonFaceColor = 0xF0F0F0;

// Error code recorded for the caller when a handle names no canvas, a font
// cannot be registered or a platform font cannot be made.
inline constexpr int kErrorInvalidHandle = 5;

// Makes a canvas of width x height pixels. It is not attached and not
// painted: its pixels are unspecified until the first ClearCanvas. Its state:
// foreground kWindowTextColor, opaque background kButtonFaceColor, pen width
// 0, position (0, 0), built-in font 1 selected. Returns 0 when the raster
// cannot be made (including a width or height below 1).
CanvasHandle CreateCanvas(std::int32_t width, std::int32_t height);

// Releases a canvas and its raster. Threads that still have it attached
// draw nothing afterwards. The program keeps its one canvas for the whole
// process; tests and long-running callers release theirs.
void ReleaseCanvas(CanvasHandle handle);

// Makes `handle` the calling thread's drawing target. The control id and
// redraw option exist for window targets and are ignored for canvases. A
// handle that names no canvas leaves the thread with no attached canvas and
// records kErrorInvalidHandle.
void AttachCanvas(CanvasHandle handle, std::int32_t controlId = 0, std::int32_t redraw = 0);

// Fills every pixel. Colour -1 means the current background colour, -2
// paints nothing. Style 0 is solid; 1 to 6 are the hatch patterns
// horizontal, vertical, forward diagonal, backward diagonal, cross and
// diagonal cross (pattern lines in the colour, the rest untouched); a style
// above 6 counts as 0. The current position returns to (0, 0).
void ClearCanvas(Color color, std::int32_t style);

// Pen width in pixels for later lines; 0 and 1 both give the thinnest pen.
void SetPenWidth(std::int32_t width);

// Text colour and the colour of lines drawn with -1. -3 changes nothing, -1
// takes kWindowTextColor, other values keep their low 24 bits.
void SetForeColor(Color color);

// Text-cell background. -2 draws text without filling its cell, -3 changes
// nothing, -1 takes kButtonFaceColor, other values keep their low 24 bits.
void SetBackColor(Color color);

// Composes a colour, each component clamped to 0..255.
Color MakeColor(std::int32_t red, std::int32_t green, std::int32_t blue);

// Sets the current position (rounded, halves to even).
void SetPosition(double x, double y);

// Draws a line from the current position to (x, y) with the current pen
// width; colour -1 means the foreground colour. A thin line covers the start
// pixel and every pixel up to, but not including, the end pixel; a wider one
// is a solid stroke centred on the segment with round ends. The current
// position becomes (x, y), even when drawing failed.
void DrawLineTo(double x, double y, Color color);

// The last error code recorded for the calling thread (0 when none); reading
// it clears it.
int TakeCanvasError();

// What the attached canvas holds, for callers that need to look (tests, the
// save path). Returns false and leaves `out` alone when no canvas is attached.
struct CanvasState {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t x = 0;  // current position
  std::int32_t y = 0;
  Color foreColor = 0;
  Color backColor = 0;  // kTransparent when text cells are not filled
  std::int32_t penWidth = 0;
  std::int32_t fontNumber = 0;
  std::int32_t lineHeight = 0;  // of the selected font, pixels
  std::int32_t externalLeading = 0;
  std::int32_t averageCharWidth = 0;
};
bool ReadCanvasState(CanvasState& out);

// The colour of one pixel of the attached canvas as 0x00BBGGRR, or -1 when
// nothing is attached or (x, y) lies outside the raster.
Color ReadCanvasPixel(std::int32_t x, std::int32_t y);

}  // namespace trevalda
