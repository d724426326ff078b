// The saint of the day (or the feast, or the Spanish regional day) for every
// day of a leap year, as the day page prints it.
//
// The table is process-wide and filled by FillSaintTable; a second fill
// releases every text and builds the table again. Texts are Windows-1252
// bytes, 8 to 41 characters, printed exactly as stored (the 15 August text
// ends in a blank). They depend on the day and month only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trevalda {

// Texts indexed by day 1..31 and month 1..12, day first.
class SaintTableType {
 public:
  static constexpr std::int32_t kDays = 31;
  static constexpr std::int32_t kMonths = 12;

  // The text for (day, month); the empty text for a slot that names no date
  // (30 February, 31 April, ...), for indexes outside the bounds and while
  // the table does not exist. Never reads outside the table.
  std::string_view operator()(std::int32_t day, std::int32_t month) const;

  bool Exists() const { return !texts_.empty(); }
  // How many slots hold a text.
  std::int32_t StoredCount() const;

  void Release();
  void Create();
  void Store(std::int32_t day, std::int32_t month, std::string_view text);

 private:
  // 31 x 12 texts in one block, the day varying fastest.
  std::vector<std::string> texts_;
};

extern SaintTableType SaintTable;

// Creates the table anew and stores its 366 texts.
void FillSaintTable();

}  // namespace trevalda
