// Fuzzes the time-zone readers: TZif bytes (with their POSIX footer) and the
// property values of VTIMEZONE observances. Any input gives a zone or a
// refusal; every zone converts any instant into a real wall-clock time
// whose offset is the one reported, and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "agenda/time_zone.h"

namespace {

using trevalda::LocalDateTime;
using trevalda::TimeZone;

void Check(bool condition) {
  if (!condition) std::abort();
}

void Exercise(const TimeZone& zone, std::string_view seed) {
  std::int64_t t = -62135596800 + 86400 * 2;  // the year 1 (after its first days)
  for (unsigned char c : seed.substr(0, 16)) {
    t += static_cast<std::int64_t>(c) * 86400 * 113 + c * 3617;
    const int offset = zone.OffsetSecondsAt(t);
    Check(offset > -26 * 3600 && offset < 26 * 3600);
    const LocalDateTime local = zone.ToLocal(t);
    Check(trevalda::IsValidPageDate(local.date));
    Check(local.secondOfDay >= 0 && local.secondOfDay < 86400);
    const std::int64_t back = zone.ToUtc(local);
    Check(back - t < 27 * 3600 && t - back < 27 * 3600);
  }
}

std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  while (fields.size() < 6) {
    const std::size_t end = text.find('\n');
    fields.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  fields.resize(6);
  return fields;
}

}  // namespace

// The first byte chooses: even, TZif bytes; odd, two observances, each six
// lines (DTSTART, TZOFFSETFROM, TZOFFSETTO, RRULE, RDATE, and the rest),
// separated by a NUL.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] % 2 == 0) {
    if (auto zone = TimeZone::FromTzif("Fuzz", bytes)) Exercise(*zone, bytes);
    return 0;
  }
  std::vector<trevalda::ZoneObservance> observances;
  std::string_view rest = bytes;
  for (int block = 0; block < 2 && !rest.empty(); ++block) {
    const std::size_t end = rest.find('\0');
    const std::vector<std::string_view> f = Fields(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    trevalda::ZoneObservanceText text;
    text.daylight = block == 1;
    text.start = f[0];
    text.offsetFrom = f[1];
    text.offsetTo = f[2];
    if (!f[3].empty()) text.rules.push_back(f[3]);
    if (!f[4].empty()) text.rdates.push_back(f[4]);
    std::string why;
    if (auto observance = trevalda::ParseZoneObservance(text, why)) {
      observances.push_back(std::move(*observance));
    } else {
      Check(!why.empty());
    }
  }
  Exercise(TimeZone::FromObservances("Fuzz", std::move(observances)), bytes);
  return 0;
}
