#include "page/day_page.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/create_page.h"
#include "canvas/bitmap_file.h"
#include "canvas/text.h"

namespace trevalda {
namespace {

TEST(DayPageTextsTest, CarryTheDatesTexts) {
  InitializeTables();
  struct Case {
    PageDate date;
    const char* month;
    const char* weekday;
    const char* day;
    const char* saint;
    const char* counters;
    const char* week;
    const char* year;
    bool sunday;
  };
  const Case cases[] = {
      {{7, 12, 2026},
       "Diciembre",
       "Lunes",
       "07",
       "San Ambrosio",
       "341/24",
       "Semana 50",
       "A\xF1o 2026",
       false},
      {{29, 2, 2024},
       "Febrero",
       "Jueves",
       "29",
       "San Augusto Chapdelaine",
       "60/306",
       "Semana 9",
       "A\xF1o 2024",
       false},
      {{1, 1, 2012},
       "Enero",
       "Domingo",
       "01",
       "Santa Maria",
       "1/365",
       "Semana 1",
       "A\xF1o 2012",
       true},
      {{31, 12, 2012},
       "Diciembre",
       "Lunes",
       "31",
       "San Silvestre",
       "366/0",
       "Semana 54",
       "A\xF1o 2012",
       false},
      {{1, 1, 2026},
       "Enero",
       "Jueves",
       "01",
       "Santa Maria",
       "1/364",
       "Semana 1",
       "A\xF1o 2026",
       false},
      {{15, 8, 2027},
       "Agosto",
       "Domingo",
       "15",
       "Asunci\xF3n de la Virgen Mar\xED"
       "a ",
       "227/138",
       "Semana 33",
       "A\xF1o 2027",
       true},
      {{3, 1, 1},
       "Enero",
       "Miercoles",
       "03",
       "Santa Genoveva",
       "3/362",
       "Semana 1",
       "A\xF1o 1",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.date.day << "/" << c.date.month << "/" << c.date.year);
    const DayPageTexts texts = MakeDayPageTexts(c.date);
    EXPECT_EQ(texts.monthName, c.month);
    EXPECT_EQ(texts.weekdayName, c.weekday);
    EXPECT_EQ(texts.dayNumber, c.day);
    EXPECT_EQ(texts.saint, c.saint);
    EXPECT_EQ(texts.counters, c.counters);
    EXPECT_EQ(texts.week, c.week);
    EXPECT_EQ(texts.year, c.year);
    EXPECT_EQ(texts.sunday, c.sunday);
  }
}

class DayPageDrawingTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitializeTables();
    canvas_ = CreateCanvas(kPageWidth, kPageHeight);
  }

  static Bitmap24 Draw(const PageDate& date) {
    PreparePage(canvas_);
    DrawDayPage(canvas_, date);
    Bitmap24 bitmap;
    EXPECT_TRUE(CopyCanvasBitmap(bitmap));
    return bitmap;
  }

  static Color PixelOf(const Bitmap24& bitmap, int x, int y) {
    const std::size_t row = static_cast<std::size_t>(bitmap.height - 1 - y);
    const std::uint8_t* p =
        &bitmap
             .rows[row * static_cast<std::size_t>(bitmap.stride) + static_cast<std::size_t>(x) * 3];
    return p[0] << 16 | p[1] << 8 | p[2];
  }

  // How many pixels of the rectangle have exactly `color`.
  static int Count(const Bitmap24& bitmap, int x0, int y0, int x1, int y1, Color color) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) count += PixelOf(bitmap, x, y) == color;
    }
    return count;
  }

  static CanvasHandle canvas_;
};

CanvasHandle DayPageDrawingTest::canvas_ = 0;

TEST_F(DayPageDrawingTest, DrawsFiftyWritingLinesAndTheTwoRules) {
  const Bitmap24 page = Draw({7, 12, 2026});
  ASSERT_EQ(page.width, kPageWidth);
  ASSERT_EQ(page.height, kPageHeight);
  for (int y = 80; y <= 1060; y += 20) {
    EXPECT_EQ(Count(page, 10, y, 780, y + 1, 0), 770) << "line " << y;
    EXPECT_EQ(PixelOf(page, 780, y), 0xFFFFFF) << "end pixel of line " << y;
    EXPECT_EQ(PixelOf(page, 9, y), 0xFFFFFF) << "before line " << y;
  }
  EXPECT_EQ(Count(page, 0, 1061, kPageWidth, 1080, 0), 0);  // no line at 1080
  for (int y = 28; y <= 32; ++y) {
    EXPECT_EQ(Count(page, 12, y, 349, y + 1, kDarkRed), 337) << "left rule row " << y;
    EXPECT_EQ(Count(page, 452, y, 779, y + 1, kDarkRed), 327) << "right rule row " << y;
  }
  EXPECT_EQ(Count(page, 0, 27, kPageWidth, 28, kDarkRed), 0);
  EXPECT_EQ(Count(page, 355, 28, 445, 33, kDarkRed), 0);  // the gap for the day number
}

TEST_F(DayPageDrawingTest, DayNumberIsDarkRedOnlyOnSundays) {
  // The day number sits at (375, 2); nothing else dark red is drawn between
  // the rules' ends above the first writing line.
  const Bitmap24 monday = Draw({7, 12, 2026});
  const Bitmap24 sunday = Draw({6, 12, 2026});
  EXPECT_GT(Count(monday, 360, 0, 450, 78, 0), 50);
  EXPECT_EQ(Count(monday, 360, 0, 450, 26, kDarkRed), 0);
  EXPECT_GT(Count(sunday, 360, 0, 450, 78, kDarkRed), 50);
  EXPECT_EQ(Count(sunday, 360, 0, 450, 26, 0), 0);
}

TEST_F(DayPageDrawingTest, TextsLandWhereTheLayoutPutsThem) {
  const Bitmap24 page = Draw({7, 12, 2026});
  // Black month name at the top left, black weekday name at the top right.
  EXPECT_GT(Count(page, 10, 8, 120, 27, 0), 20);
  EXPECT_GT(Count(page, 720, 8, 794, 27, 0), 20);
  // Dark-red saint under the left rule, counters under the right one, and
  // the footer texts below the last writing line.
  EXPECT_GT(Count(page, 10, 36, 200, 56, kDarkRed), 20);
  EXPECT_GT(Count(page, 735, 36, 794, 56, kDarkRed), 10);
  EXPECT_GT(Count(page, 10, 1082, 120, 1100, kDarkRed), 10);
  EXPECT_GT(Count(page, 720, 1082, 794, 1100, kDarkRed), 10);
  // Ink stays inside the texts' boxes: the bands between the header texts
  // and the first line, and between the last line and the footer, are white.
  EXPECT_EQ(Count(page, 0, 56, kPageWidth, 80, 0xFFFFFF), kPageWidth * 24);
  EXPECT_EQ(Count(page, 0, 1061, kPageWidth, 1082, 0xFFFFFF), kPageWidth * 21);
  EXPECT_EQ(Count(page, 0, 0, 360, 8, 0xFFFFFF), 360 * 8);  // above the header texts
  EXPECT_EQ(Count(page, 450, 0, kPageWidth, 8, 0xFFFFFF), 344 * 8);
  EXPECT_EQ(Count(page, 130, 0, 355, 27, 0xFFFFFF), 225 * 27);   // right of "Diciembre"
  EXPECT_EQ(Count(page, 200, 33, 355, 56, 0xFFFFFF), 155 * 23);  // right of the saint
  // The margins between the texts stay white.
  EXPECT_EQ(Count(page, 0, 0, 7, 1123, 0xFFFFFF), 7 * 1123);
  EXPECT_EQ(Count(page, 0, 1100, 794, 1123, 0xFFFFFF), 794 * 23);
}

TEST(DayPageContentTest, EntriesHolidaysAndWeekRuleMakeTheTexts) {
  InitializeTables();
  DayPageContent content;
  content.week = WeekRule::kIso;
  content.entries.push_back({"Fiesta local", true});
  content.entries.push_back({std::string(130, 'a'), false});
  for (int i = 2; i <= 10; ++i) content.entries.push_back({"Cita " + std::to_string(i), false});
  content.entries.push_back({"Otra fiesta", true});
  const DayPageTexts texts = MakeDayPageTexts({4, 1, 2027}, content);
  EXPECT_EQ(texts.week, "Semana 1");  // the page's own rule says week 2
  EXPECT_EQ(MakeDayPageTexts({4, 1, 2027}).week, "Semana 2");
  EXPECT_EQ(texts.holiday, "Fiesta local \xB7 Otra fiesta");
  ASSERT_EQ(texts.entryLines.size(), kMaxEntryLines);
  EXPECT_EQ(texts.entryLines[0], std::string(kMaxEntryChars - 1, 'a') + "\x85");
  EXPECT_EQ(texts.entryLines[6], "Cita 7");
  EXPECT_EQ(texts.entryLines[7], "y 3 m\xE1s");  // Cita 8, 9 and 10
  EXPECT_FALSE(texts.sunday);

  content.entries.resize(kMaxEntryLines + 1);
  content.entries.erase(content.entries.begin());  // exactly the lines there are
  EXPECT_EQ(MakeDayPageTexts({4, 1, 2027}, content).entryLines.back(), "Cita 8");
}

TEST_F(DayPageDrawingTest, WithoutEntriesForTheDateThePageIsTheClassicOne) {
  // Holidays and dates on other days leave these pages as they always were
  // (13/12/2026 is a Sunday).
  Agenda agenda;
  agenda.AddNationalHolidays();
  AgendaRule elsewhere;
  elsewhere.kind = AgendaRule::Kind::kYearly;
  elsewhere.date = {5, 3, 1};
  elsewhere.entry = {"Cumplea\xF1os", false};
  agenda.Add(elsewhere);
  for (const PageDate date : {PageDate{7, 12, 2026}, PageDate{13, 12, 2026}, PageDate{29, 2, 2024},
                              PageDate{4, 1, 2027}, PageDate{31, 12, 9999}}) {
    const Bitmap24 classic = Draw(date);
    DayPageContent content;
    content.entries = agenda.EntriesFor(date);
    ASSERT_TRUE(content.entries.empty());
    PreparePage(canvas_);
    DrawDayPage(canvas_, date, content);
    Bitmap24 page;
    ASSERT_TRUE(CopyCanvasBitmap(page));
    EXPECT_EQ(page.rows, classic.rows) << date.day << "/" << date.month << "/" << date.year;
  }
}

TEST_F(DayPageDrawingTest, HolidayInTheBandEntriesOnTheFirstLines) {
  DayPageContent content;
  content.entries = {{"Fiesta local", true}, {"Cita uno", false}, {"Cita dos", false}};
  PreparePage(canvas_);
  DrawDayPage(canvas_, {7, 12, 2026}, content);  // a Monday
  Bitmap24 page;
  ASSERT_TRUE(CopyCanvasBitmap(page));
  // The holiday's name in dark red between the saint and the first line,
  // and the day number in dark red as on Sundays.
  EXPECT_GT(Count(page, 10, 56, 350, 80, kDarkRed), 20);
  EXPECT_GT(Count(page, 360, 0, 450, 78, kDarkRed), 50);
  EXPECT_EQ(Count(page, 360, 0, 450, 26, 0), 0);
  // Each entry in black just above the line it sits on; the next row empty.
  EXPECT_GT(Count(page, 10, 84, 200, 100, 0), 20);
  EXPECT_GT(Count(page, 10, 104, 200, 120, 0), 20);
  EXPECT_EQ(Count(page, 0, 121, kPageWidth, 140, 0), 0);
  EXPECT_EQ(Count(page, 0, 81, kPageWidth, 84, 0), 0);  // clear of the line above
}

TEST_F(DayPageDrawingTest, SameDateTwiceGivesTheSamePage) {
  const Bitmap24 first = Draw({29, 2, 2024});
  Draw({31, 12, 2012});  // a different page in between leaves nothing behind
  const Bitmap24 second = Draw({29, 2, 2024});
  EXPECT_EQ(first.rows, second.rows);
}

TEST_F(DayPageDrawingTest, RegistersThePageFontsOnlyOnce) {
  Draw({7, 12, 2026});
  const std::int32_t small = NewFont("New Times", 10, kFontBold);
  Draw({8, 12, 2026});
  EXPECT_EQ(NewFont("New Times", 10, kFontBold), small);
  EXPECT_EQ(NewFont("New Times", 38, kFontBold), small + 1);
  EXPECT_EQ(NewFont("New Times", 8, kFontBold), small + 2);
  EXPECT_EQ(FontPixelHeight(small), -13);
  EXPECT_EQ(FontPixelHeight(small + 1), -51);
  EXPECT_EQ(FontPixelHeight(small + 2), -11);
}

TEST_F(DayPageDrawingTest, LeavesThinPenDayFontAndTransparentText) {
  Draw({6, 12, 2026});
  CanvasState state;
  ASSERT_TRUE(ReadCanvasState(state));
  EXPECT_EQ(state.penWidth, 1);
  EXPECT_EQ(state.fontNumber, NewFont("New Times", 38, kFontBold));
  EXPECT_EQ(state.foreColor, kDarkRed);
  EXPECT_EQ(state.backColor, kTransparent);
}

}  // namespace
}  // namespace trevalda
