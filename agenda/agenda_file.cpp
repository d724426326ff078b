#include "agenda/agenda_file.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <functional>
#include <system_error>

#include "agenda/reader_support.h"
#include "text/cp1252.h"
#include "text/error_text.h"
#include "text/shown_text.h"

namespace trevalda {
namespace agenda_internal {

std::string_view WithoutByteOrderMark(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return bytes;
}

bool RefuseUtf8(FileReading& result, std::size_t line, std::string reason) {
  result.ok = false;
  result.rules.clear();
  result.line = line;
  result.reason = std::move(reason);
  return false;
}

bool Refuse(FileReading& result, std::size_t line, std::string_view reason) {
  return RefuseUtf8(result, line, Cp1252ToUtf8(reason));
}

bool CheckUtf8Text(std::string_view bytes, FileReading& result, std::size_t firstLine) {
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    return Refuse(result, 1, "el archivo est\xE1 en UTF-16; gu\xE1rdalo como UTF-8");
  }
  const std::size_t bad = std::min(FindInvalidUtf8(bytes), bytes.find('\0'));
  if (bad == std::string_view::npos) return true;
  // Lines end in LF, CR LF or a CR alone.
  std::size_t line = firstLine;
  for (std::size_t i = 0; i < bad; ++i) {
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
      ++line;
  }
  if (bytes[bad] == '\0') return Refuse(result, line, "hay bytes nulos: no es un archivo de texto");
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(bytes[bad]));
  return Refuse(result, line,
                std::string("el texto no est\xE1 en UTF-8 (byte ") + hex +
                    "; \xBF"
                    "est\xE1 en Windows-1252 o Latin-1?); gu\xE1rdalo como UTF-8");
}

bool NextLine(std::string_view bytes, std::size_t& position, std::string_view& line) {
  if (position >= bytes.size()) return false;
  std::size_t end = position;
  while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
  line = bytes.substr(position, end - position);
  position = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
  return true;
}

std::string EntryText(std::string_view utf8, std::size_t& lost) {
  std::string clean(utf8);
  for (char& c : clean) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  const std::size_t first = clean.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  clean = clean.substr(first, clean.find_last_not_of(' ') - first + 1);
  lost += CountOutsideCp1252(clean);
  return Utf8ToCp1252(clean);
}

void NoteLostCharacters(FileReading& result, std::size_t lost, const std::string& lostLines) {
  if (lost == 0) return;
  const bool one = lost == 1;
  result.notes.push_back(Cp1252ToUtf8(std::to_string(lost) +
                                      (one ? " car\xE1"
                                             "cter que Windows-1252 no tiene se escribe"
                                           : " caracteres que Windows-1252 no tiene se escriben") +
                                      " como '?' (" +
                                      (lostLines.find(',') == std::string::npos ? "l\xED"
                                                                                  "nea "
                                                                                : "l\xED"
                                                                                  "neas ") +
                                      lostLines + ")"));
}

Result<AgendaFile> ResultOf(FileReading reading, std::string_view where) {
  if (!reading.ok) {
    std::string message(where);
    if (reading.line != 0) {
      message += (where.empty() ? "línea " : ":") + std::to_string(reading.line);
    }
    if (!message.empty()) message += ": ";
    // A reason may quote the file: escaped too.
    return Failure(message + ShownText(reading.reason, kShownPathLimit));
  }
  return AgendaFile{std::move(reading.rules), std::move(reading.notes)};
}

}  // namespace agenda_internal

namespace {

agenda_internal::FileReading ReadAgendaBytes(std::string_view bytes) {
  std::string_view rest = agenda_internal::WithoutByteOrderMark(bytes);
  // The first line that is not blank decides the form.
  const std::size_t start = std::min(rest.find_first_not_of(" \t\r\n"), rest.size());
  rest.remove_prefix(start);
  constexpr std::string_view kCalendarStart = "BEGIN:VCALENDAR";
  const std::string_view head = rest.substr(0, kCalendarStart.size());
  const bool calendar =
      head.size() == kCalendarStart.size() &&
      std::equal(head.begin(), head.end(), kCalendarStart.begin(), [](char a, char b) {
        return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 32) : a) == b;
      });
  return calendar ? agenda_internal::ReadCalendarText(bytes)
                  : agenda_internal::ReadDateListText(bytes);
}

// Reads pieces with `readPiece` (which fills up to `capacity` bytes and
// says how many it gave; fewer at the end) until the end or past
// kMaxAgendaFileBytes, then reads the bytes as a date list or a calendar.
// Refused when `failed` says the reading broke off, or when there are too
// many bytes. `expected` sizes the buffer.
agenda_internal::FileReading ReadBoundedBytes(
    const std::function<std::size_t(char* piece, std::size_t capacity)>& readPiece,
    const std::function<bool()>& failed, std::size_t expected) {
  agenda_internal::FileReading result;
  std::string bytes;
  bytes.reserve(expected);
  std::string piece(std::size_t{1} << 16, '\0');
  while (bytes.size() <= kMaxAgendaFileBytes) {
    const std::size_t got = readPiece(piece.data(), piece.size());
    bytes.append(piece, 0, got);
    if (got < piece.size()) break;
  }
  if (failed()) {
    agenda_internal::Refuse(result, 0, "no se puede leer");
    return result;
  }
  if (bytes.size() > kMaxAgendaFileBytes) {
    agenda_internal::Refuse(
        result, 0,
        "es demasiado grande (m\xE1s de " + std::to_string(kMaxAgendaFileBytes >> 20) + " MiB)");
    return result;
  }
  return ReadAgendaBytes(bytes);
}

agenda_internal::FileReading ReadFileBytes(const std::filesystem::path& path) {
  agenda_internal::FileReading result;
  std::error_code error;
  // A loop of links or a folder that may not be searched is not "missing".
  if (!std::filesystem::exists(path, error)) {
    agenda_internal::Refuse(
        result, 0,
        Utf8ToCp1252(
            ErrorText(error ? error : std::make_error_code(std::errc::no_such_file_or_directory))));
    return result;
  }
  if (std::filesystem::is_directory(path, error)) {
    agenda_internal::Refuse(result, 0, "es una carpeta, no un archivo");
    return result;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int reason = errno;
    agenda_internal::Refuse(
        result, 0,
        "no se puede abrir para leer" +
            (reason != 0
                 ? ": " + Utf8ToCp1252(ErrorText(std::error_code(reason, std::generic_category())))
                 : std::string()));
    return result;
  }
  // A regular file's size only sizes the buffer: an endless device stops
  // at the bound as well.
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return ReadBoundedBytes(
      [&in](char* piece, std::size_t capacity) {
        in.read(piece, static_cast<std::streamsize>(capacity));
        return static_cast<std::size_t>(in.gcount());
      },
      [&in] { return in.bad(); },
      static_cast<std::size_t>(error ? 0 : std::min(size, kMaxAgendaFileBytes) + 1));
}

}  // namespace

Result<AgendaFile> ReadAgendaText(std::string_view bytes) {
  return agenda_internal::ResultOf(ReadAgendaBytes(bytes));
}

Result<AgendaFile> ReadDateList(std::string_view bytes) {
  return agenda_internal::ResultOf(agenda_internal::ReadDateListText(bytes));
}

Result<AgendaFile> ReadCalendar(std::string_view bytes) {
  return agenda_internal::ResultOf(agenda_internal::ReadCalendarText(bytes));
}

Result<AgendaFile> ReadAgendaFile(const std::filesystem::path& path) {
  return agenda_internal::ResultOf(ReadFileBytes(path), ShownPath(path));
}

namespace {

agenda_internal::FileReading ReadStreamBytes(std::FILE* stream) {
  return ReadBoundedBytes(
      [stream](char* piece, std::size_t capacity) {
        return std::fread(piece, 1, capacity, stream);
      },
      [stream] { return std::ferror(stream) != 0; }, 0);
}

}  // namespace

Result<AgendaFile> ReadAgendaStream(std::FILE* stream) {
  return agenda_internal::ResultOf(ReadStreamBytes(stream), "(entrada est\xC3\xA1ndar)");
}

}  // namespace trevalda
