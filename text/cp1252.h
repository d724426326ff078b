// Conversions between the program's Windows-1252 texts and the encodings of
// its edges: UTF-8 (Cairo, the terminal, Linux file names) and UTF-16 (the
// Windows user interface).
//
// Every byte of Windows-1252 converts; the five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of
// the same value, as Windows does. Characters the code page cannot hold, and
// malformed UTF-8 or UTF-16, become '?', the code page's replacement
// character. No conversion fails or throws on bad input.
#pragma once

#include <string>
#include <string_view>

namespace trevalda {

std::string Cp1252ToUtf8(std::string_view text);
std::u16string Cp1252ToUtf16(std::string_view text);

std::string Utf8ToCp1252(std::string_view text);
std::string Utf16ToCp1252(std::u16string_view text);

// The offset of the first byte of `text` that does not start a well-formed
// UTF-8 sequence; npos when the whole text is well-formed UTF-8.
std::size_t FindInvalidUtf8(std::string_view text);

// How many characters of the UTF-8 `text` Windows-1252 cannot hold (each
// becomes '?' in Utf8ToCp1252). Malformed bytes are not counted.
std::size_t CountOutsideCp1252(std::string_view utf8);

}  // namespace trevalda
