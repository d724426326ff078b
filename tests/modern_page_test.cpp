#include "page/modern_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/create_page.h"
#include "calendar/holidays.h"
#include "calendar/modern_saints.h"
#include "calendar/saints.h"
#include "canvas/bitmap_file.h"
#include "text/cp1252.h"

namespace trevalda {
namespace {

std::string Utf8(std::string_view cp1252) { return Cp1252ToUtf8(cp1252); }

TEST(ModernSaintsTest, TheReviewedEntriesReadAsSpanishWritesThem) {
  const struct {
    int day;
    int month;
    const char* text;
  } cases[] = {
      {1, 1, "Santa María Madre de Dios"},
      {2, 1, "Santos Basilio y Gregorio"},
      {30, 1, "San Hipólito"},
      {28, 2, "Día de Andalucía"},
      {31, 3, "San Benjamín"},
      {4, 4, "Día del País Vasco"},
      {30, 4, "San Pío V"},
      {1, 5, "San José Obrero"},
      {9, 7, "Santa Verónica"},
      {10, 7, "San Cristóbal"},
      {20, 7, "San Elías"},
      {12, 8, "San Julián"},
      {4, 9, "San Moisés"},
      {10, 9, "San Nicolás"},
      {21, 10, "Santa Úrsula"},
      {9, 11, "Dedicación de la Basílica de Letrán"},
      {13, 11, "Santos Leandro y Estanislao de Kostka"},
      {27, 11, "San Máximo"},
      {4, 12, "Santa Bárbara"},
      {6, 12, "San Nicolás de Bari"},
      {15, 12, "San Cándido"},
      {24, 12, "San Delfín"},
      {27, 12, "San Juan Apóstol"},
      {29, 9, "Santos Miguel, Gabriel y Rafael, arcángeles"},
      {15, 8, "Asunción de la Virgen María"},
      {1, 7, "San Simeón"},
      {17, 2, "San Alejo"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8(ModernSaint(c.day, c.month)), c.text) << c.day << "/" << c.month;
  }
}

TEST(ModernSaintsTest, EveryDayHasATidyTextAndOnlyRealDaysHaveOne) {
  FillSaintTable();
  int differing = 0;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= 31; ++day) {
      const std::string_view text = ModernSaint(day, month);
      const bool real = day <= DaysInMonth(2024, static_cast<std::int16_t>(month));
      ASSERT_EQ(!text.empty(), real) << day << "/" << month;
      if (!real) continue;
      EXPECT_NE(text.front(), ' ') << day << "/" << month;
      EXPECT_NE(text.back(), ' ') << day << "/" << month;
      EXPECT_EQ(text.find("  "), std::string_view::npos) << day << "/" << month;
      // No movable feast nailed to a fixed day, no feast in brackets.
      EXPECT_EQ(text.find('('), std::string_view::npos) << day << "/" << month;
      for (const MovableFeast& feast : MovableFeasts()) {
        EXPECT_EQ(Utf8(text).find(feast.utf8Name), std::string::npos) << day << "/" << month;
      }
      // Every saint's name round-trips through the page's code page.
      EXPECT_EQ(Utf8ToCp1252(Utf8(text)), text);
      differing += text != SaintTable(day, month);
    }
  }
  EXPECT_EQ(ModernSaint(0, 1), "");
  EXPECT_EQ(ModernSaint(1, 13), "");
  EXPECT_EQ(differing, 38);  // the rows of docs/modern-saints.md
}

TEST(ModernSaintsTest, MovableFeastsFollowEaster) {
  // Easter Sunday: 28 March 2027, 20 April 2025, 25 April 2038.
  const struct {
    PageDate date;
    const char* feast;
  } cases[] = {
      {{10, 2, 2027}, "Miércoles de Ceniza"},
      {{21, 3, 2027}, "Domingo de Ramos"},
      {{25, 3, 2027}, "Jueves Santo"},
      {{28, 3, 2027}, "Domingo de Resurrección"},
      {{6, 5, 2027}, "Ascensión del Señor"},
      {{16, 5, 2027}, "Pentecostés"},
      {{27, 5, 2027}, "Corpus Christi"},
      {{5, 3, 2025}, "Miércoles de Ceniza"},
      {{19, 6, 2025}, "Corpus Christi"},
      {{10, 3, 2038}, "Miércoles de Ceniza"},
      {{24, 6, 2038}, "Corpus Christi"},
      {{17, 2, 2027}, ""},
      {{9, 5, 2027}, ""},
      {{26, 3, 2027}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8(MovableFeastOn(c.date)), c.feast) << c.date.day << "/" << c.date.month;
  }
  EXPECT_EQ(MovableFeastOn({30, 2, 2027}), "");
}

DayPageContent Modern() {
  DayPageContent content;
  content.style = PageStyle::kModern;
  return content;
}

TEST(ModernPageTextsTest, AccentedWeekdaysAndTheDaysLine) {
  InitializeTables();
  const struct {
    PageDate date;
    const char* weekday;
    const char* line;
  } cases[] = {
      {{30, 6, 2027}, "Miércoles", "San Marcial"},
      {{3, 7, 2027}, "Sábado", "Santo Tomás"},
      {{10, 2, 2027}, "Miércoles", "Miércoles de Ceniza"},
      {{17, 2, 2027}, "Miércoles", "San Alejo"},
      {{9, 5, 2027}, "Domingo", "San Gregorio Ostiense"},
      {{6, 5, 2027}, "Jueves", "Ascensión del Señor"},
  };
  for (const auto& c : cases) {
    const DayPageTexts texts = MakeDayPageTexts(c.date, Modern());
    EXPECT_EQ(Utf8(texts.weekdayName), c.weekday);
    EXPECT_EQ(Utf8(texts.saint), c.line);
    // The classic page keeps its own texts.
    const DayPageTexts classic = MakeDayPageTexts(c.date);
    EXPECT_EQ(classic.weekdayName.find('\xE9'), std::string::npos);
  }
  EXPECT_EQ(Utf8(MakeDayPageTexts({17, 2, 2027}).saint), "San Alejo (ceniza)");
}

TEST(PageTextsTest, AHolidayThatIsTheSaintLineIsPrintedOnce) {
  InitializeTables();
  Agenda agenda;
  agenda.AddNationalHolidays();
  for (const PageStyle style : {PageStyle::kClassic, PageStyle::kModern}) {
    DayPageContent content;
    content.style = style;
    content.entries = agenda.EntriesFor({8, 12, 2026});
    DayPageTexts texts = MakeDayPageTexts({8, 12, 2026}, content);
    EXPECT_EQ(Utf8(texts.saint), "Inmaculada Concepción");
    EXPECT_EQ(texts.holiday, "");
    EXPECT_TRUE(texts.holidayDay);
    // A different holiday name keeps its band; the user's own holiday too.
    content.entries = agenda.EntriesFor({12, 10, 2026});
    content.entries.push_back({"Fiesta local", true});
    texts = MakeDayPageTexts({12, 10, 2026}, content);
    EXPECT_EQ(Utf8(texts.holiday), "Fiesta Nacional de España · Fiesta local");
    EXPECT_TRUE(texts.holidayDay);
  }
}

TEST(ModernPageTextsTest, TimedEntriesGoToTheirHoursLine) {
  DayPageContent content = Modern();
  content.modern.hours = HourSpan{8, 21};
  content.entries = {{"Comprar pan", false},        {"18:30 Dentista", false},
                     {"07:00 Tren", false},         {"09:15 Reuni\xF3n", false},
                     {"09:40 Llamar a Ana", false}, {"09:05 Caf\xE9", false}};
  const DayPageTexts texts = MakeDayPageTexts({7, 12, 2026}, content);
  const std::size_t top = ModernTopLines(content.modern.hours);
  EXPECT_EQ(top, 8U);  // 44 lines, 28 for the hours
  // Before the first hour: on the top lines with the untimed entries.
  EXPECT_EQ(texts.entryLines, (std::vector<std::string>{"Comprar pan", "07:00 Tren"}));
  const std::vector<std::pair<int, std::string>> hourLines = {
      {8 + 2, "09:15 Reuni\xF3n \xB7 09:05 Caf\xE9"},
      {8 + 3, "09:40 Llamar a Ana"},
      {8 + 21, "18:30 Dentista"}};
  EXPECT_EQ(texts.hourLines, hourLines);
  EXPECT_EQ(texts.hours, "8-21");
  EXPECT_EQ(ModernTopLines(HourSpan{0, 20}), 2U);
  EXPECT_EQ(ModernTopLines(std::nullopt), kMaxEntryLines);
  // Without hours every entry goes on the top lines, as on the classic page.
  content.modern.hours.reset();
  EXPECT_EQ(MakeDayPageTexts({7, 12, 2026}, content).entryLines.size(), 6U);
}

TEST(ModernPageTextsTest, TheMoonAndTheSunInLocalTime) {
  DayPageContent content = Modern();
  content.modern.place = SunPlace{"Madrid", {40.4168, -3.7038}};
  const DayPageTexts texts = MakeDayPageTexts({7, 12, 2026}, content);
  ASSERT_FALSE(texts.sun.empty());
  EXPECT_EQ(texts.sun.substr(0, 5), "Sale ");
  EXPECT_EQ(texts.sun.substr(10, 11), " \xB7 Se pone ");
  EXPECT_EQ(texts.sunDescribed.substr(0, 5), "sale ");
  EXPECT_EQ(texts.sunPlace, "Madrid");
  // Without a place, no sun; the moon only on the days of its phases.
  EXPECT_TRUE(MakeDayPageTexts({7, 12, 2026}, Modern()).sun.empty());
  int phases = 0;
  for (std::int32_t serial = DaySerial({1, 1, 2027}); serial <= DaySerial({31, 12, 2027});
       ++serial) {
    const DayPageTexts day = MakeDayPageTexts(DateFromSerial(serial), Modern());
    EXPECT_EQ(day.moon.empty(), !day.moonPhase.has_value());
    phases += day.moonPhase.has_value();
  }
  EXPECT_GE(phases, 48);  // 12 or 13 lunations of four phases
  EXPECT_LE(phases, 52);
}

class ModernPageDrawingTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitializeTables();
    canvas_ = CreateCanvas(kPageWidth, kPageHeight);
  }
  static void TearDownTestSuite() { ReleaseCanvas(canvas_); }

  static Bitmap24 Draw(const PageDate& date, const DayPageContent& content) {
    PreparePage(canvas_);
    DrawDayPage(canvas_, date, content);
    Bitmap24 bitmap;
    EXPECT_TRUE(CopyCanvasBitmap(bitmap));
    return bitmap;
  }

  // The first pixel that is not white within `margin` of an edge, as
  // "x,y"; empty when there is none.
  static std::string InkNearTheEdges(const Bitmap24& page, int margin) {
    for (int row = 0; row < page.height; ++row) {
      const std::uint8_t* pixels = &page.rows[static_cast<std::size_t>(row) * page.stride];
      const bool edgeRow = row < margin || row >= page.height - margin;
      for (int x = 0; x < page.width; ++x) {
        if (!edgeRow && x == margin) x = page.width - margin;
        const std::uint8_t* p = pixels + static_cast<std::size_t>(x) * 3;
        if (p[0] != 0xFF || p[1] != 0xFF || p[2] != 0xFF) {
          return std::to_string(x) + "," + std::to_string(page.height - 1 - row);
        }
      }
    }
    return {};
  }

  static CanvasHandle canvas_;
};

CanvasHandle ModernPageDrawingTest::canvas_ = 0;

TEST_F(ModernPageDrawingTest, NoInkWithinFiveMillimetresOfAnEdgeOnAnyDayOf2027) {
  // Everything the page can carry, long texts included, at the widest.
  Agenda agenda;
  agenda.AddNationalHolidays();
  AgendaOptions options;
  options.agenda = &agenda;
  options.style = PageStyle::kModern;
  options.modern.hours = HourSpan{7, 20};
  options.modern.place =
      SunPlace{"Las Palmas de Gran Canaria", {28.1, -15.4}, SpanishTime::kCanary};
  options.modern.zone = SpanishTime::kCanary;
  const std::string wide(kMaxEntryChars, 'W');
  for (std::int32_t serial = DaySerial({1, 1, 2027}); serial <= DaySerial({31, 12, 2027});
       ++serial) {
    const PageDate date = DateFromSerial(serial);
    DayPageContent content = PageContentFor(options, date);
    content.entries.push_back({wide, true});
    for (int i = 0; i < 9; ++i) content.entries.push_back({wide, false});
    content.entries.push_back({"20:30 " + wide, false});
    const std::string ink = InkNearTheEdges(Draw(date, content), kPrintSafeMargin);
    ASSERT_EQ(ink, "") << date.day << "/" << date.month;
  }
}

TEST_F(ModernPageDrawingTest, TheWeekdayEndsAtTheRightMargin) {
  for (const PageDate date : {PageDate{30, 6, 2027}, PageDate{5, 7, 2027}}) {
    const Bitmap24 page = Draw(date, Modern());
    // The rightmost dark pixel of the weekday's row band lies just inside
    // the margin, wherever the word begins.
    int rightmost = -1;
    for (int y = 20; y < 40; ++y) {
      const std::size_t row = static_cast<std::size_t>(page.height - 1 - y);
      for (int x = kPageWidth / 2; x < kPageWidth; ++x) {
        const std::uint8_t* p = &page.rows[row * page.stride + static_cast<std::size_t>(x) * 3];
        if (p[0] < 0x80 && p[1] < 0x80 && p[2] < 0x80) rightmost = std::max(rightmost, x);
      }
    }
    EXPECT_GE(rightmost, kPageWidth - kPrintSafeMargin - 10) << date.day;
    EXPECT_LT(rightmost, kPageWidth - kPrintSafeMargin) << date.day;
  }
}

TEST_F(ModernPageDrawingTest, WithoutModernStyleTheClassicPageStays) {
  DayPageContent classic;
  DayPageContent modernOptionsOnly;  // ignored by the classic page
  modernOptionsOnly.modern.hours = HourSpan{8, 21};
  modernOptionsOnly.modern.place = SunPlace{"Madrid", {40.4, -3.7}};
  EXPECT_EQ(Draw({7, 12, 2026}, classic).rows, Draw({7, 12, 2026}, modernOptionsOnly).rows);
  EXPECT_NE(Draw({7, 12, 2026}, classic).rows, Draw({7, 12, 2026}, Modern()).rows);
}

}  // namespace
}  // namespace trevalda
