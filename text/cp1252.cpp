#include "text/cp1252.h"

#include <array>
#include <cstdint>

#include "text/utf8.h"

namespace trevalda {
namespace {

// Code points of the bytes 0x80 to 0x9F; the other bytes are their own code
// point (ISO 8859-1 agrees with Unicode there).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char kReplacement = '?';

char16_t ByteToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    return kHighControls[byte - 0x80];
  }
  return byte;
}

char CodePointToByte(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
    return static_cast<char>(code);
  }
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == code) {
      return static_cast<char>(0x80 + i);
    }
  }
  return kReplacement;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char c : text) {
    AppendUtf8(out, ByteToCodePoint(static_cast<unsigned char>(c)));
  }
  return out;
}

std::u16string Cp1252ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) {
    out.push_back(ByteToCodePoint(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t code = 0;
    const std::size_t length = DecodeUtf8(text, i, code);
    if (length == 0) {
      out.push_back(kReplacement);
      ++i;  // resynchronise on the next byte
      continue;
    }
    out.push_back(CodePointToByte(code));
    i += length;
  }
  return out;
}

std::size_t FindInvalidUtf8(std::string_view text) {
  char32_t code = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = DecodeUtf8(text, i, code);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

std::size_t CountOutsideCp1252(std::string_view utf8) {
  std::size_t count = 0;
  char32_t code = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = DecodeUtf8(utf8, i, code);
    if (length == 0) {
      ++i;
      continue;
    }
    count += code != kReplacement && CodePointToByte(code) == kReplacement;
    i += length;
  }
  return count;
}

std::string Utf16ToCp1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;  // a character beyond the Basic Multilingual Plane: never in 1252
      out.push_back(kReplacement);
      continue;
    }
    out.push_back(CodePointToByte(unit));
  }
  return out;
}

}  // namespace trevalda
