// Prints the almanac's phases of the moon and sunrise and sunset, for the
// comparison with an independent ephemeris (oracle_check.py).
//
//   almanac_table moon FIRST_YEAR LAST_YEAR
//     one line per phase, peninsular time:  moon 2024-01-11 12:57 new
//   almanac_table sun YEAR NAME...
//     per place:  place NAME LATITUDE LONGITUDE peninsula|canary
//     per day:    sun 2027-01-01 08:38 17:59   ("-" for a missing time)
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "calendar/almanac.h"
#include "calendar/calendar.h"

namespace {

using trevalda::PageDate;

std::string Clock(std::optional<int> minuteOfDay) {
  if (!minuteOfDay) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d", *minuteOfDay / 60, *minuteOfDay % 60);
  return text;
}

template <typename Visit>
void ForEachDay(int firstYear, int lastYear, Visit visit) {
  for (int year = firstYear; year <= lastYear; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const int days =
          trevalda::DaysInMonth(static_cast<std::int16_t>(year), static_cast<std::int16_t>(month));
      for (int day = 1; day <= days; ++day) {
        visit(PageDate{static_cast<std::int16_t>(day), static_cast<std::int16_t>(month),
                       static_cast<std::int16_t>(year)});
      }
    }
  }
}

int Usage() {
  std::fputs("usage: almanac_table moon FIRST_YEAR LAST_YEAR | sun YEAR NAME...\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string what = argv[1];
  const int first = std::atoi(argv[2]);
  if (what == "moon" && argc == 4) {
    static const char* const kNames[] = {"new", "first", "full", "last"};
    ForEachDay(first, std::atoi(argv[3]), [](const PageDate& day) {
      const auto phase = trevalda::MoonPhaseOn(day, trevalda::SpanishTime::kPeninsula);
      if (!phase) return;
      std::printf("moon %04d-%02d-%02d %s %s\n", day.year, day.month, day.day,
                  Clock(phase->minuteOfDay).c_str(), kNames[static_cast<int>(phase->phase)]);
    });
    return 0;
  }
  if (what == "sun" && argc >= 4) {
    for (int i = 3; i < argc; ++i) {
      const std::optional<trevalda::Place> place = trevalda::FindPlace(argv[i]);
      if (!place) {
        std::fprintf(stderr, "almanac_table: unknown place %s\n", argv[i]);
        return 1;
      }
      const bool canary = place->zone == trevalda::SpanishTime::kCanary;
      std::printf("place %s %.6f %.6f %s\n", argv[i], place->where.latitude, place->where.longitude,
                  canary ? "canary" : "peninsula");
      ForEachDay(first, first, [&](const PageDate& day) {
        const trevalda::SunTimes sun = trevalda::SunTimesOn(day, place->where, place->zone);
        std::printf("sun %04d-%02d-%02d %s %s\n", day.year, day.month, day.day,
                    Clock(sun.rise).c_str(), Clock(sun.set).c_str());
      });
    }
    return 0;
  }
  return Usage();
}
