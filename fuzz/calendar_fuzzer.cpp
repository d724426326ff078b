// Fuzzes the iCalendar reader (--dates with an .ics file): line unfolding,
// content lines, components, dates, times and yearly rules. Any bytes come
// back as rules for real days or as a refusal with a reason.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "agenda_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  trevalda::fuzz::CheckAgendaFile(trevalda::ReadCalendar(bytes));
  // The detection between the two forms takes the same bytes.
  trevalda::fuzz::CheckAgendaFile(trevalda::ReadAgendaText(bytes));
  return 0;
}
