#include <gtest/gtest.h>

#include <set>
#include <string>

#include "calendar/calendar.h"
#include "calendar/names.h"
#include "calendar/saints.h"

namespace trevalda {
namespace {

TEST(NameTablesTest, HoldTheSpanishNames) {
  FillNameTables();
  const char* months[] = {"Enero", "Febrero", "Marzo",      "Abril",   "Mayo",      "Junio",
                          "Julio", "Agosto",  "Septiembre", "Octubre", "Noviembre", "Diciembre"};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(MonthNames[m], months[m - 1]);
  const char* weekdays[] = {"Lunes",   "Martes", "Miercoles", "Jueves",
                            "Viernes", "Sabado", "Domingo"};
  for (int w = 1; w <= 7; ++w) EXPECT_EQ(WeekdayNames[w], weekdays[w - 1]);
}

TEST(NameTablesTest, LookupsOutsideTheBoundsAreEmpty) {
  FillNameTables();
  for (int index : {0, -1, 13, 1000, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(MonthNames[index], "") << index;
  }
  for (int index : {0, 8, 12, -7}) EXPECT_EQ(WeekdayNames[index], "") << index;
  NameTable never;
  EXPECT_EQ(never[1], "");
}

TEST(NameTablesTest, SecondFillRecreatesTheSameTexts) {
  FillNameTables();
  MonthNames.Store(1, "Broken");
  FillNameTables();
  EXPECT_EQ(MonthNames[1], "Enero");
  EXPECT_EQ(MonthNames.Size(), 12);
  EXPECT_EQ(WeekdayNames.Size(), 7);
}

TEST(NameCellTest, StoresAtMostElevenCharacters) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"Septiembre", "Septiembre"},
      {"abcdefghijkl", "abcdefghijk"},  // 12 characters cut to 11
      {"", ""},
      {std::string("ab\0cd", 5), "ab"},  // a zero ends the text
  };
  for (const auto& c : cases) {
    NameCell cell;
    StoreName(cell, c.text);
    EXPECT_EQ(cell.Text(), c.expected);
    EXPECT_EQ(cell.bytes[11], '\0');
  }
}

TEST(NameCellTest, KeepsBytesAfterTheTerminator) {
  NameCell cell;
  StoreName(cell, "Diciembre");
  StoreName(cell, "Mayo");
  EXPECT_EQ(cell.Text(), "Mayo");
  EXPECT_EQ(cell.bytes[5], 'm');  // the tail of the earlier text stays
}

class SaintTableTest : public testing::Test {
 protected:
  void SetUp() override { FillSaintTable(); }
};

TEST_F(SaintTableTest, HoldsOneTextForEveryDayOfALeapYear) {
  EXPECT_EQ(SaintTable.StoredCount(), 366);
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= 31; ++day) {
      const bool exists = day <= DaysInMonth(2024, static_cast<std::int16_t>(month));
      const auto text = SaintTable(day, month);
      if (exists) {
        EXPECT_GE(text.size(), 8u) << day << "/" << month;
        EXPECT_LE(text.size(), 41u) << day << "/" << month;
      } else {
        EXPECT_EQ(text, "") << day << "/" << month;
      }
    }
  }
}

TEST_F(SaintTableTest, KnownEntriesAsWindows1252Bytes) {
  struct Case {
    int day, month;
    const char* text;
  };
  const Case cases[] = {
      {1, 1, "Santa Maria"},
      {2, 1, "San Basilio y Gregorio"},
      {1, 2, "San Cecilio"},
      {29, 2, "San Augusto Chapdelaine"},
      {31, 12, "San Silvestre"},
      {7, 12, "San Ambrosio"},
      {15, 8,
       "Asunci\xF3n de la Virgen Mar\xED"
       "a "},
      {29, 9, "Santos Miguel,Gabriel y Rafael Arc\xE1ngeles"},
      {7, 1,
       "San Raimundo de Pe\xF1"
       "afort"},
      {21, 3,
       "San Nicol\xE1s de Fl\xFC"
       "e"},
      {5, 2, "Santa \xC1gueda"},
      {17, 2, "San Alejo (ceniza)"},
      {28, 2,
       "D\xED"
       "a de Andalucia"},
      {31, 5,
       "D\xED"
       "a de Castilla La Mancha"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SaintTable(c.day, c.month), c.text) << c.day << "/" << c.month;
  }
  EXPECT_EQ(SaintTable(15, 8).size(), 28u);
  EXPECT_EQ(SaintTable(29, 9).size(), 41u);
}

TEST_F(SaintTableTest, NoTextHoldsBytesOutsideTheSpanishLetters) {
  const std::set<unsigned char> accented = {0xE1, 0xE9, 0xED, 0xF3, 0xFA, 0xF1, 0xFC, 0xC1};
  std::set<unsigned char> seen;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= 31; ++day) {
      for (char c : SaintTable(day, month)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
          EXPECT_TRUE(accented.count(byte)) << day << "/" << month << " byte " << int{byte};
          seen.insert(byte);
        } else {
          EXPECT_GE(byte, 0x20) << day << "/" << month;
        }
      }
    }
  }
  EXPECT_EQ(seen, accented);  // every one of them is used somewhere
}

TEST_F(SaintTableTest, RepeatedTextsAreSeparateEntries) {
  EXPECT_EQ(SaintTable(9, 2), "San Alejandro");
  EXPECT_EQ(SaintTable(27, 3), "San Alejandro");
  EXPECT_EQ(SaintTable(4, 6), "San Alejandro");
  EXPECT_NE(SaintTable(9, 2).data(), SaintTable(27, 3).data());
}

TEST_F(SaintTableTest, LookupsOutsideTheBoundsAreEmpty) {
  const std::pair<int, int> cases[] = {{0, 1},   {32, 1}, {1, 0},          {1, 13},
                                       {-1, -1}, {31, 2}, {INT32_MAX, 12}, {1, INT32_MIN}};
  for (const auto& [day, month] : cases) EXPECT_EQ(SaintTable(day, month), "");
}

TEST_F(SaintTableTest, SecondFillRebuildsTheTable) {
  SaintTable.Store(1, 1, "x");
  SaintTable.Store(30, 2, "y");
  FillSaintTable();
  EXPECT_EQ(SaintTable(1, 1), "Santa Maria");
  EXPECT_EQ(SaintTable(30, 2), "");
  EXPECT_EQ(SaintTable.StoredCount(), 366);
}

}  // namespace
}  // namespace trevalda
