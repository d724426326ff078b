#include "calendar/names.h"

#include <algorithm>
#include <cstring>

namespace trevalda {

NameTable MonthNames;
NameTable WeekdayNames;

namespace {

constexpr std::array<std::string_view, 12> kMonths = {
    "Enero", "Febrero", "Marzo",      "Abril",   "Mayo",      "Junio",
    "Julio", "Agosto",  "Septiembre", "Octubre", "Noviembre", "Diciembre",
};

constexpr std::array<std::string_view, 7> kWeekdays = {
    "Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado", "Domingo",
};

}  // namespace

std::string_view NameCell::Text() const {
  const auto end = std::find(bytes.begin(), bytes.end(), '\0');
  return {bytes.data(), static_cast<std::size_t>(end - bytes.begin())};
}

void StoreName(NameCell& cell, std::string_view text) {
  const std::size_t limit = std::min<std::size_t>(text.size(), cell.bytes.size() - 1);
  std::size_t copied = 0;
  while (copied < limit) {
    cell.bytes[copied] = text[copied];
    ++copied;
    if (text[copied - 1] == '\0') {
      return;  // a zero inside the text ends it and is itself the terminator
    }
  }
  cell.bytes[copied] = '\0';
}

std::string_view NameTable::operator[](std::int32_t index) const {
  if (cells_ == nullptr || index < 1 || index > size_) {
    return {};
  }
  return cells_[static_cast<std::size_t>(index - 1)].Text();
}

void NameTable::Release() {
  cells_.reset();
  size_ = 0;
}

void NameTable::Create(std::int32_t size) {
  Release();
  if (size < 1) {
    return;
  }
  cells_ = std::make_unique<NameCell[]>(static_cast<std::size_t>(size));
  size_ = size;
}

void NameTable::Store(std::int32_t index, std::string_view text) {
  if (cells_ == nullptr || index < 1 || index > size_) {
    return;
  }
  StoreName(cells_[static_cast<std::size_t>(index - 1)], text);
}

void FillNameTables() {
  MonthNames.Create(static_cast<std::int32_t>(kMonths.size()));
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    MonthNames.Store(static_cast<std::int32_t>(i + 1), kMonths[i]);
  }
  WeekdayNames.Create(static_cast<std::int32_t>(kWeekdays.size()));
  for (std::size_t i = 0; i < kWeekdays.size(); ++i) {
    WeekdayNames.Store(static_cast<std::int32_t>(i + 1), kWeekdays[i]);
  }
}

}  // namespace trevalda
