// Texts for the Windows API, where a wchar_t is one UTF-16 unit. Included
// only by files CMake builds for Windows.
#pragma once

#include <string>
#include <string_view>

#include "text/cp1252.h"
#include "text/utf8.h"

namespace trevalda {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "for Windows, where wchar_t is UTF-16");

// A Windows-1252 text (a page text, a face name) for the Windows API.
inline std::wstring Cp1252ToWide(std::string_view text1252) {
  const std::u16string utf16 = Cp1252ToUtf16(text1252);
  return std::wstring(utf16.begin(), utf16.end());
}

// A UTF-8 text (a message for the user) for the Windows API.
inline std::wstring Utf8ToWide(std::string_view utf8) {
  const std::u16string utf16 = Utf8ToUtf16(utf8);
  return std::wstring(utf16.begin(), utf16.end());
}

// What the Windows API gives back (a path, a typed text) as UTF-8.
inline std::string WideToUtf8(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

// What the Windows API gives back (the date picker's text) as Windows-1252.
inline std::string WideToCp1252(std::wstring_view text) {
  return Utf16ToCp1252(std::u16string(text.begin(), text.end()));
}

}  // namespace trevalda
