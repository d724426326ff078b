// The Spanish month and weekday names printed at the top of the day page.
//
// Both tables are process-wide and filled by FillNameTables; a second fill
// releases and re-creates them with the same texts. Texts are Windows-1252
// bytes and carry no accents ("Miercoles", "Sabado").
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace trevalda {

// A fixed 12-byte cell holding a zero-terminated text of at most 11
// characters; the bytes after the terminator are zero.
struct NameCell {
  std::array<char, 12> bytes{};

  // The bytes up to, not including, the first zero byte.
  std::string_view Text() const;
};

// Stores `text` into `cell`: at most its first 11 characters, stopping after
// a zero character, then a zero byte. The remaining bytes keep their content.
void StoreName(NameCell& cell, std::string_view text);

// A table of NameCells with indexes 1 to Size().
class NameTable {
 public:
  // The text at `index`; the empty text for an index outside 1..Size() or
  // while the table does not exist. Never reads outside the table.
  std::string_view operator[](std::int32_t index) const;

  std::int32_t Size() const { return size_; }
  bool Exists() const { return cells_ != nullptr; }

  // Frees the cells; the table then does not exist.
  void Release();
  // Creates `size` zero-filled cells (after releasing the old ones).
  void Create(std::int32_t size);
  // Stores into the cell at `index`; does nothing outside 1..Size().
  void Store(std::int32_t index, std::string_view text);

 private:
  std::unique_ptr<NameCell[]> cells_;
  std::int32_t size_ = 0;
};

// Index = month number, 1 = "Enero" ... 12 = "Diciembre".
extern NameTable MonthNames;
// Index = weekday number, 1 = "Lunes" ... 7 = "Domingo".
extern NameTable WeekdayNames;

// Creates both tables anew and stores the names.
void FillNameTables();

}  // namespace trevalda
