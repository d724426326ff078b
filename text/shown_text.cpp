#include "text/shown_text.h"

#include <cstdint>
#include <cstdio>

#include "text/utf8.h"

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
    const auto unitAt = [&](std::size_t k) { return static_cast<char32_t>(native[k]); };
    const auto isLow = [](char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    for (std::size_t i = 0; i < native.size(); ++i) {
      const char32_t unit = unitAt(i);
      const bool high = unit >= 0xD800 && unit <= 0xDBFF;
      const bool low = isLow(unit);
      if (high && i + 1 < native.size() && isLow(unitAt(i + 1))) {
        AppendUtf8(utf8, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
        ++i;
      } else if (high || low) {
        AppendCodePointEscape(utf8, unit);
      } else {
        AppendUtf8(utf8, unit);
      }
    }
    return ShownText(utf8, kShownPathLimit);
  }
}

}  // namespace

std::string ShownPath(const std::filesystem::path& path) { return ShownNative(path.native()); }

}  // namespace trevalda
