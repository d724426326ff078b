// Text from outside the program, made safe to show in a message.
//
// Whatever the user (or a file, or a folder name) supplied and a message
// echoes back goes through ShownText or ShownPath first: dates, option
// values, unknown options, file and folder names. Raw control bytes would
// otherwise reach the terminal (an ESC sequence that retitles or clears it,
// a newline that fakes a second message line).
//
// Both return UTF-8. Characters are kept as typed except:
//   - C0 controls and DEL become \t, \n, \r, \e or \xNN (BEL is \x07);
//   - C1 controls (U+0080 to U+009F) become the \xNN of their two UTF-8 bytes;
//   - the bidirectional overrides and isolates (U+202A to U+202E, U+2066 to
//     U+2069) and the direction marks (U+200E, U+200F) become \u{XXXX};
//   - bytes that are not well-formed UTF-8 become \xNN, one per byte.
// A text longer than the limit is cut after `limit` characters (an escape
// counts as one), never inside a UTF-8 sequence, and "..." is appended.
// Never fails or throws.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace trevalda {

// How much of a typed value (a date, an option) a message shows.
inline constexpr std::size_t kShownTextLimit = 40;
// How much of a path a message shows.
inline constexpr std::size_t kShownPathLimit = 400;

// `text` (UTF-8 as typed, possibly malformed) made safe to echo.
std::string ShownText(std::string_view text, std::size_t limit = kShownTextLimit);

// A path as the user typed it: its bytes on POSIX, its UTF-16 converted to
// UTF-8 on Windows (an unpaired surrogate shows as \u{XXXX}); then escaped
// as ShownText does, with kShownPathLimit.
std::string ShownPath(const std::filesystem::path& path);

}  // namespace trevalda
