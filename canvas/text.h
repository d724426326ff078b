// Fonts and text on the attached canvas.
//
// Fonts are registered once in a process-wide table and named by small
// numbers. Numbers 1 to 3 are built in: 1 is "MS Sans Serif" 8 points (the
// default font of every new canvas), 2 and 3 are "Lucida Console" 0 and 11
// points, fixed pitch. Registered fonts follow from 4. A face the machine
// lacks is served by the platform's closest substitute.
//
// Texts are Windows-1252 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trevalda {

// Style bits for NewFont.
inline constexpr std::int32_t kFontBold = 1;
inline constexpr std::int32_t kFontItalic = 2;
inline constexpr std::int32_t kFontUnderline = 4;
inline constexpr std::int32_t kFontStrikeOut = 8;
inline constexpr std::int32_t kFontCellHeight = 16;  // size is the whole cell height

// Vertical resolution of every canvas, dots per inch.
inline constexpr int kCanvasDotsPerInch = 96;

// Registers a font description and returns its number. The face is cut to
// 31 characters, size 0 (points) means 8. Registering an identical
// description again returns the existing number. Needs no attached canvas.
// Returns 0 (and records kErrorInvalidHandle) only when no entry can be made.
std::int32_t NewFont(std::string_view face, float size, std::int32_t style,
                     std::uint8_t charSet = 0, std::uint8_t pitchAndFamily = 0,
                     std::int32_t escapement = 0);

// Selects font `number` on the attached canvas (0 means 1; an unknown number
// does nothing). The platform font is made on the first selection, with the
// pixel height -(96 x size / 72) rounded halves to even (positive for
// kFontCellHeight), and reused afterwards on every canvas.
void SetFont(std::int32_t number);

// Draws a Windows-1252 text with the top-left of its first cell at the
// current position, in the foreground colour, over the background colour or
// transparently, clipped to the canvas's right edge and to one line height
// (plus external leading). Then the position moves to x = 0,
// y + line height + external leading. An empty text draws nothing but still
// moves the position.
void PrintText(std::string_view text);

// How far PrintText would move the position along x for `text` in the
// attached canvas's selected font, in pixels, without drawing anything: the
// width to subtract to end a text at a given x. 0 for an empty text, with no
// canvas attached or when the platform cannot measure.
std::int32_t TextWidth(std::string_view text);

// Why texts drawn by PrintText since the last call did not show as
// written, in Spanish (UTF-8): no font could be made for them (no usable
// font on the machine), the font's face has no glyph for one of their
// characters (it would show as an empty box), or the surface refused them.
// Empty when every text showed. Process-wide, the first reason only;
// reading it clears it. A page that has one is not to be saved.
std::string TakeTextProblem();

// The pixel height stored in the description of font `number` once its
// platform font exists (negative: character height; positive: cell height);
// 0 for an unknown number or a font not made yet.
std::int32_t FontPixelHeight(std::int32_t number);

// The face name stored for font `number` (Windows-1252), empty if unknown.
std::string_view FontFace(std::int32_t number);

}  // namespace trevalda
