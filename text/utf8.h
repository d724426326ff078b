// UTF-8, the one codec of the program: every reading and writing of UTF-8
// goes through here (the Windows-1252 conversions, the escaping of shown
// texts, the Windows edges).
//
// Well-formed UTF-8 is the shortest form of a code point up to U+10FFFF
// that is not a surrogate; anything else is malformed. Nothing here fails
// or throws on bad input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace trevalda {

// The length of the well-formed UTF-8 sequence at text[i] (i < size) and
// its code point in `code`; 0, with `code` unspecified, for a malformed,
// overlong or truncated sequence, a surrogate or a value past U+10FFFF.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& code);

// Appends `code` (up to U+10FFFF, not a surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t code);

// UTF-8 as UTF-16, characters beyond U+FFFF as surrogate pairs; each
// malformed byte becomes U+FFFD, as Windows converts.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD, as Windows
// converts.
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace trevalda
