#include "text/shown_text.h"

#include <cstdint>
#include <cstdio>

namespace trevalda {
namespace {

void AppendHex(std::string& out, unsigned char byte) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\x%02X", byte);
  out += escape;
}

void AppendCodePointEscape(std::string& out, char32_t code) {
  char escape[16];
  std::snprintf(escape, sizeof escape, "\\u{%04X}", static_cast<unsigned>(code));
  out += escape;
}

// The length of the well-formed UTF-8 sequence at text[i] and its code
// point; 0 when the bytes there are not one.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& code) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char next = byte(k);
    if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  return length;
}

bool IsDirectionControl(char32_t code) {
  return code == 0x200E || code == 0x200F || (code >= 0x202A && code <= 0x202E) ||
         (code >= 0x2066 && code <= 0x2069);
}

// Appends one character (or one stray byte) of `text` at `i`, escaped as
// needed; returns how many bytes it took.
std::size_t AppendShown(std::string& out, std::string_view text, std::size_t i) {
  char32_t code = 0;
  const std::size_t length = DecodeUtf8(text, i, code);
  if (length == 0) {
    AppendHex(out, static_cast<unsigned char>(text[i]));
    return 1;
  }
  if (code < 0x20 || code == 0x7F) {
    switch (code) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case 0x1B:
        out += "\\e";
        break;
      default:
        AppendHex(out, static_cast<unsigned char>(code));
        break;
    }
  } else if (code >= 0x80 && code <= 0x9F) {
    AppendHex(out, static_cast<unsigned char>(text[i]));
    AppendHex(out, static_cast<unsigned char>(text[i + 1]));
  } else if (IsDirectionControl(code)) {
    AppendCodePointEscape(out, code);
  } else {
    out.append(text.substr(i, length));
  }
  return length;
}

}  // namespace

std::string ShownText(std::string_view text, std::size_t limit) {
  std::string shown;
  std::size_t i = 0;
  for (std::size_t characters = 0; i < text.size() && characters < limit; ++characters) {
    i += AppendShown(shown, text, i);
  }
  if (i < text.size()) shown += "...";
  return shown;
}

namespace {

// A path's own characters: bytes on POSIX, UTF-16 units on Windows. A
// template, so that only the branch of the platform's type is compiled.
template <typename Native>
std::string ShownNative(const Native& native) {
  if constexpr (sizeof(typename Native::value_type) == 1) {
    return ShownText(std::string_view(native.data(), native.size()), kShownPathLimit);
  } else {
    // UTF-16 (Windows): whole pairs become their character; an unpaired
    // surrogate cannot be written as UTF-8 and is shown as an escape.
    std::string utf8;
    const auto appendUtf8 = [](std::string& out, char32_t code) {
      if (code < 0x80) {
        out += static_cast<char>(code);
      } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
      } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
      } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
      }
    };
    const auto unitAt = [&](std::size_t k) { return static_cast<char32_t>(native[k]); };
    const auto isLow = [](char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    for (std::size_t i = 0; i < native.size(); ++i) {
      const char32_t unit = unitAt(i);
      const bool high = unit >= 0xD800 && unit <= 0xDBFF;
      const bool low = isLow(unit);
      if (high && i + 1 < native.size() && isLow(unitAt(i + 1))) {
        appendUtf8(utf8, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
        ++i;
      } else if (high || low) {
        AppendCodePointEscape(utf8, unit);
      } else {
        appendUtf8(utf8, unit);
      }
    }
    return ShownText(utf8, kShownPathLimit);
  }
}

}  // namespace

std::string ShownPath(const std::filesystem::path& path) { return ShownNative(path.native()); }

}  // namespace trevalda
