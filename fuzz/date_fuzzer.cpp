// Fuzzes what a typed date goes through before anything is drawn: the
// command line's normalisation, the file stem, the date cut from it at fixed
// positions, the number reader and the validation. Any input must come back
// as either a real date with a safe stem or a refusal with a reason; the
// sanitizers catch everything else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/cli_options.h"
#include "app/create_page.h"
#include "calendar/calendar.h"
#include "page/day_page.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "dd/mm/yyyy": what NormalizeDateText promises.
bool HasSlashedLayout(std::string_view text) {
  if (text.size() != 10) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 2 || i == 5) {
      if (text[i] != '/') return false;
    } else if (!IsDigit(text[i])) {
      return false;
    }
  }
  return true;
}

void CheckAcceptedDate(const std::string& stem, const trevalda::PageDate& date) {
  using namespace trevalda;
  Check(IsValidPageDate(date));
  Check(stem.size() == 10);
  Check(stem.find_first_of("/\\ ") == std::string::npos);
  const std::int16_t weekday = Weekday(date.year, date.month, date.day);
  Check(weekday >= 1 && weekday <= 7);
  const std::int16_t dayOfYear = DayCount(date.year, date.month, date.day, kDayOfYear);
  const std::int16_t daysLeft = DayCount(date.year, date.month, date.day, kDaysLeft);
  Check(dayOfYear >= 1 && dayOfYear <= 366);
  Check(daysLeft >= 0 && dayOfYear + daysLeft >= 365 && dayOfYear + daysLeft <= 366);
  const std::int16_t week = WeekNumber(date.year, date.month, date.day);
  Check(week >= 1 && week <= 54);
  const DayPageTexts texts = MakeDayPageTexts(date);
  Check(!texts.monthName.empty() && !texts.weekdayName.empty());
  Check(texts.dayNumber.size() == 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace trevalda;
  InitializeTables();
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // The command line's reading of a date.
  const std::optional<std::string> normalized = NormalizeDateText(text);
  if (normalized) Check(HasSlashedLayout(*normalized));

  // The page command's own path, on the raw text and on the normalised one.
  const std::string stem = MakeFileStem(text);
  Check(stem.size() <= text.size());
  Check(stem.find_first_of("/\\ ") == std::string::npos);
  const PageDate cut = PageDateFromStem(stem);
  static_cast<void>(cut);

  for (const std::string_view candidate :
       {text, normalized ? std::string_view(*normalized) : std::string_view()}) {
    const Result<PageDate> date = ReadDateText(candidate);
    if (date) {
      const std::string readStem = MakeFileStem(candidate);
      Check(*date == PageDateFromStem(readStem));
      CheckAcceptedDate(readStem, *date);
    } else {
      Check(!date.message().empty());
    }
  }
  return 0;
}
