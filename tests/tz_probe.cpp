// Reads conversion requests on standard input and prints the answers, one
// line each, so a script can compare them with another implementation:
//   Z NAME                  -> "zone NAME" (its Name()) or "unknown"
//   U SECONDS               -> "OFFSET YYYY-MM-DDTHH:MM:SS" (offset and wall clock)
//   L YYYY-MM-DDTHH:MM:SS   -> the UTC seconds of that wall-clock time
#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "agenda/time_zone.h"

namespace {

std::string Format(const trevalda::LocalDateTime& local) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.date.year,
                local.date.month, local.date.day, local.secondOfDay / 3600,
                local.secondOfDay / 60 % 60, local.secondOfDay % 60);
  return text;
}

}  // namespace

int main() {
  std::optional<trevalda::TimeZone> zone = trevalda::TimeZone::Utc();
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 3) continue;
    const std::string value = line.substr(2);
    if (line[0] == 'Z') {
      zone = trevalda::TimeZone::FromName(value);
      std::cout << (zone ? "zone " + zone->Name() : std::string("unknown")) << '\n';
    } else if (line[0] == 'U' && zone) {
      const std::int64_t seconds = std::stoll(value);
      std::cout << zone->OffsetSecondsAt(seconds) << ' ' << Format(zone->ToLocal(seconds)) << '\n';
    } else if (line[0] == 'L' && zone) {
      int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
      if (std::sscanf(value.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) return 2;
      trevalda::LocalDateTime local;
      local.date = {static_cast<std::int16_t>(d), static_cast<std::int16_t>(mo),
                    static_cast<std::int16_t>(y)};
      local.secondOfDay = h * 3600 + mi * 60 + s;
      std::cout << zone->ToUtc(local) << '\n';
    }
  }
  return std::cout.good() ? 0 : 1;
}
