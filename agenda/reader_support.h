// What the two agenda file readers share: the line walk, the encoding check
// and the conversion of the file's texts. Internal to agenda/.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "agenda/agenda_file.h"

namespace trevalda::agenda_internal {

// A file as a reader goes through it: its rules and notes (Spanish, UTF-8),
// or the line (0: the file as a whole) and the reason (Spanish, UTF-8) it
// was refused.
struct FileReading {
  bool ok = false;
  std::vector<AgendaRule> rules;
  std::size_t line = 0;
  std::string reason;
  std::vector<std::string> notes;
};

// The readers of the two forms.
FileReading ReadDateListText(std::string_view bytes);
FileReading ReadCalendarText(std::string_view bytes);

// The result of a reading; a refusal prefixed by `where` (a shown file
// name) or, without one, by "línea N".
Result<AgendaFile> ResultOf(FileReading reading, std::string_view where = {});

// The bytes after a UTF-8 byte-order mark, if there is one.
std::string_view WithoutByteOrderMark(std::string_view bytes);

// Refuses `bytes` (into `result`, with the line) when they are not UTF-8
// text: UTF-16, a malformed sequence or a zero byte. True when they are.
// `firstLine` is the line number `bytes` start on.
bool CheckUtf8Text(std::string_view bytes, FileReading& result, std::size_t firstLine = 1);

// Refuses with the line number and the reason (Windows-1252, stored as
// UTF-8); returns false.
bool Refuse(FileReading& result, std::size_t line, std::string_view reason);
// The same with a reason already in UTF-8 (one that quotes the file).
bool RefuseUtf8(FileReading& result, std::size_t line, std::string reason);

// The next line of `bytes` from `position` (which moves past it), without
// its end: CR LF, LF or a CR alone. False at the end.
bool NextLine(std::string_view bytes, std::size_t& position, std::string_view& line);

// A text of the file (UTF-8) as an entry prints it: control characters
// become blanks, the ends are trimmed, and it is converted to Windows-1252.
// Adds to `lost` the characters that became '?'.
std::string EntryText(std::string_view utf8, std::size_t& lost);

// The notes for characters the code page cannot hold (`lostLines` is a
// short list of the lines they were on).
void NoteLostCharacters(FileReading& result, std::size_t lost, const std::string& lostLines);

}  // namespace trevalda::agenda_internal
