// Fuzzes the reader of the user's date lists (--dates): any bytes come back
// as rules for real days or as a refusal with a reason; the sanitizers catch
// everything else.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "agenda_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  trevalda::fuzz::CheckAgendaFile(trevalda::ReadDateList(bytes));
  return 0;
}
