#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "agenda/agenda.h"
#include "agenda/agenda_file.h"
#include "test_support.h"
#include "text/shown_text.h"

namespace trevalda {
namespace {

// The entry texts of `date` (holidays marked with a leading "!").
std::vector<std::string> Texts(const Agenda& agenda, const PageDate& date) {
  std::vector<std::string> texts;
  for (const AgendaEntry& entry : agenda.EntriesFor(date)) {
    texts.push_back((entry.holiday ? "!" : "") + entry.text);
  }
  return texts;
}

Agenda AgendaOf(const Result<AgendaFile>& file) {
  EXPECT_TRUE(file.ok()) << file.message();
  Agenda agenda;
  if (file) {
    for (const AgendaRule& rule : file->rules) agenda.Add(rule);
  }
  return agenda;
}

using Texts_ = std::vector<std::string>;
namespace fs = std::filesystem;

TEST(DateListTest, EveryFormLandsOnItsDays) {
  const Agenda agenda =
      AgendaOf(ReadAgendaText("\xEF\xBB\xBF# mis fechas\r\n"
                              "\n"
                              "  05/03   Cumplea\xC3\xB1os de Ana  \r\n"
                              "24/12/2026 Cena\tde Nochebuena\n"
                              "!pascua+1 Lunes de Pascua\n"
                              "pascua-3 Jueves Santo\n"
                              "PASCUA Domingo de Resurrecci\xC3\xB3n\n"
                              "29/02 Bisiesto\n"
                              "! 7/1 Fiesta local\n"
                              "05/03 Otra cosa el mismo d\xC3\xAD"
                              "a #2"));
  struct Case {
    PageDate date;
    Texts_ texts;
  };
  const Case cases[] = {
      {{5, 3, 2026},
       {"Cumplea\xF1os de Ana",
        "Otra cosa el mismo d\xED"
        "a #2"}},
      {{5, 3, 1},
       {"Cumplea\xF1os de Ana",
        "Otra cosa el mismo d\xED"
        "a #2"}},
      {{24, 12, 2026}, {"Cena de Nochebuena"}},
      {{24, 12, 2027}, {}},
      {{6, 4, 2026}, {"!Lunes de Pascua"}},  // Easter 2026: 5 April
      {{2, 4, 2026}, {"Jueves Santo"}},
      {{5, 4, 2026}, {"Domingo de Resurrecci\xF3n"}},
      {{29, 3, 2027}, {"!Lunes de Pascua"}},  // Easter 2027: 28 March
      {{29, 2, 2024}, {"Bisiesto"}},
      {{28, 2, 2026}, {}},
      {{1, 3, 2026}, {}},
      {{7, 1, 2026}, {"!Fiesta local"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Texts(agenda, c.date), c.texts)
        << c.date.day << "/" << c.date.month << "/" << c.date.year;
  }
}

// A date list takes the command line's separators and its year-first form.
TEST(DateListTest, DatesTakeTheCommandLinesSeparators) {
  const Agenda agenda =
      AgendaOf(ReadAgendaText("12-10 Guion\n12.10 Punto\n12\\10 Barra\n1-2-2027 Una "
                              "vez\n2027-02-03 El a\xC3\xB1o primero\n"));
  EXPECT_EQ(Texts(agenda, {12, 10, 2026}), (Texts_{"Guion", "Punto", "Barra"}));
  EXPECT_EQ(Texts(agenda, {1, 2, 2027}), Texts_{"Una vez"});
  EXPECT_EQ(Texts(agenda, {3, 2, 2027}), Texts_{"El a\xF1o primero"});
  EXPECT_TRUE(Texts(agenda, {1, 2, 2028}).empty());
  EXPECT_FALSE(ReadAgendaText("2027-13-01 Mal\n").ok());
  EXPECT_FALSE(ReadAgendaText("12_10 Mal\n").ok());
}

TEST(DateListTest, BadFilesNameTheLineAndTheReason) {
  struct Case {
    std::string bytes;
    std::size_t line;
    std::string reasonHas;
  };
  const std::string many = [] {
    std::string text;
    for (std::size_t i = 0; i <= kMaxEntriesPerFile; ++i) text += "01/01 x\n";
    return text;
  }();
  const Case cases[] = {
      {"05/03 Ana\nhola mundo\n", 2, "no empieza por una fecha"},
      {"31/02 Nunca\n", 1, "31/02 no existe"},
      {"29/02/2026 Nunca\n", 1, "29/02/2026 no existe"},
      {"07/13 Mes\n", 1, "07/13 no existe"},
      {"07/12/0000 Cero\n", 1, "no existe"},
      {"07/12/26 Corto\n", 1, "cuatro cifras"},
      {"#\n#\npascua+251 Tarde\n", 3, "pascua+251 se sale"},
      {"pascua-81 Pronto\n", 1, "pascua-81 se sale"},
      {"pascua+ Nada\n", 1, "pascua+1"},
      {"pascuas Nada\n", 1, "no empieza por una fecha"},
      {"07/12Pegado\n", 1, "falta un espacio"},
      {"07/12   \n", 1, "falta el texto"},
      {"!\n", 1, "no empieza por una fecha"},
      {"05/03 Ana\n06/03 Cumplea\xF1os\n", 2, "UTF-8"},  // Latin-1
      {"\xFF\xFE"
       "0\0005\0",
       1, "UTF-16"},
      {std::string("05/03 A\0na\n", 11), 1, "nulos"},
      {"05/03 Ana\n" + std::string(kMaxDateLineBytes + 1, 'x') + "\n", 2, "demasiado larga"},
      {"05/03 " + std::string(1 << 20, 'x'), 1, "demasiado larga"},
      {many, kMaxEntriesPerFile + 1, "demasiadas fechas"},
  };
  for (const Case& c : cases) {
    const Result<AgendaFile> file = ReadDateList(c.bytes);
    EXPECT_FALSE(file.ok()) << c.reasonHas;
    EXPECT_TRUE(file.message().starts_with("línea " + std::to_string(c.line) + ": "))
        << c.reasonHas << " | " << file.message();
    EXPECT_NE(file.message().find(c.reasonHas), std::string::npos)
        << c.reasonHas << " | " << file.message();
  }
}

TEST(DateListTest, CharactersOutsideWindows1252BecomeQuestionMarksAndAreNoted) {
  const Result<AgendaFile> file =
      ReadDateList("01/01 A\xC3\xB1o nuevo \xF0\x9F\x8E\x89\n02/01 \xE4\xB8\xAD\xE6\x96\x87\n");
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->rules[0].entry.text, "A\xF1o nuevo ?");
  EXPECT_EQ(file->rules[1].entry.text, "??");
  ASSERT_EQ(file->notes.size(), 1u);
  EXPECT_NE(file->notes[0].find("3 caracteres"), std::string::npos) << file->notes[0];
  EXPECT_NE(file->notes[0].find("1, 2"), std::string::npos) << file->notes[0];
}

// A personal calendar as calendar programs export it.
constexpr std::string_view kCalendar =
    "BEGIN:VCALENDAR\r\n"
    "VERSION:2.0\r\n"
    "PRODID:-//Prueba//ES\r\n"
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Madrid\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\n"
    "END:STANDARD\r\nEND:VTIMEZONE\r\n"
    // A birthday with a yearly rule.
    "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:19800305\r\nDTEND;VALUE=DATE:19800306\r\n"
    "RRULE:FREQ=YEARLY\r\nSUMMARY:Cumplea\xC3\xB1os de Luis\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nSUMMARY:aviso\r\nEND:VALARM\r\nEND:VEVENT\r\n"
    // An all-day event over three days, its summary escaped.
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261207\r\nDTEND;VALUE=DATE:20261210\r\n"
    "SUMMARY:Congreso\\, Madrid\\; sala 2\\nplanta \\\\3\r\nEND:VEVENT\r\n"
    // Timed events: UTC in winter and in summer, a zone, a floating time.
    "BEGIN:VEVENT\r\nDTSTART:20261207T173000Z\r\nDTEND:20261207T183000Z\r\n"
    "SUMMARY:Dentista\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART:20260701T223000Z\r\nSUMMARY:Vuelo\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Madrid:20261208T090000\r\nSUMMARY:Caf\xC3\xA9\r\n"
    "END:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART:20261208T200000\r\nSUMMARY:Cine\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;TZID=UTC:20260115T120000\r\nSUMMARY:Llamada\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260120\r\nDURATION:P2D\r\nSUMMARY:Viaje\r\n"
    "END:VEVENT\r\n"
    // A long summary folded over three lines (one fold inside a letter).
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261211\r\n"
    "SUMMARY:Reuni\xC3\xB3n de la comunidad de vecinos para hablar de la derrama del a\r\n"
    " scensor y de la pintura de la fachada\\, con el administrador y los pr\xC3\r\n"
    "\t\xB3ximos presupuestos\r\nEND:VEVENT\r\n"
    // Yearly with COUNT, UNTIL, INTERVAL and EXDATE; a 29 February counted.
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20240115\r\nRRULE:FREQ=YEARLY;COUNT=3\r\n"
    "SUMMARY:Tres veces\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20240116\r\nRRULE:FREQ=YEARLY;UNTIL=20260116\r\n"
    "EXDATE;VALUE=DATE:20250116\r\nSUMMARY:Hasta 2026\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20240117\r\nRRULE:FREQ=YEARLY;INTERVAL=2;BYMONTH=1\r\n"
    "SUMMARY:A\xC3\xB1os pares\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20240229\r\nRRULE:FREQ=YEARLY;COUNT=2\r\n"
    "SUMMARY:Bisiesto\r\nEND:VEVENT\r\n"
    // A moved occurrence of the birthday.
    "BEGIN:VEVENT\r\nUID:a\r\nRECURRENCE-ID;VALUE=DATE:20270305\r\nDTSTART;VALUE=DATE:20270306\r\n"
    "SUMMARY:Cumplea\xC3\xB1os de Luis (movido)\r\nEND:VEVENT\r\n"
    // A cancelled occurrence of the birthday.
    "BEGIN:VEVENT\r\nUID:a\r\nRECURRENCE-ID;VALUE=DATE:20280305\r\nSTATUS:CANCELLED\r\n"
    "DTSTART;VALUE=DATE:20280305\r\nEND:VEVENT\r\n"
    // What cannot be placed: counted.
    "BEGIN:VEVENT\r\nDTSTART:20261207T080000\r\nRRULE:FREQ=WEEKLY\r\nSUMMARY:Gimnasio\r\n"
    "END:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261207\r\nRRULE:FREQ=YEARLY;BYDAY=1MO\r\n"
    "SUMMARY:Lunes\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261207\r\nSTATUS:CANCELLED\r\nSUMMARY:No\r\nEND:"
    "VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART:2026-12-07\r\nSUMMARY:Mal\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nSUMMARY:Sin fecha\r\nEND:VEVENT\r\n"
    "BEGIN:VTODO\r\nDTSTART;VALUE=DATE:20261207\r\nSUMMARY:Tarea\r\nEND:VTODO\r\n"
    "END:VCALENDAR\r\n";

TEST(CalendarFileTest, EventsLandOnTheirDays) {
  const Result<AgendaFile> file = ReadAgendaText(kCalendar);
  ASSERT_TRUE(file.ok()) << file.message();
  const Agenda agenda = AgendaOf(file);
  const std::string congress = "Congreso, Madrid; sala 2 / planta \\3";
  struct Case {
    PageDate date;
    Texts_ texts;
  };
  const Case cases[] = {
      {{5, 3, 1980}, {"Cumplea\xF1os de Luis"}},
      {{5, 3, 2026}, {"Cumplea\xF1os de Luis"}},
      {{5, 3, 2027}, {}},
      {{6, 3, 2027}, {"Cumplea\xF1os de Luis (movido)"}},
      {{5, 3, 1979}, {}},
      {{5, 3, 2028}, {}},
      {{7, 12, 2026}, {congress, "18:30 Dentista", "08:00 Gimnasio", "Lunes"}},  // CET: UTC + 1
      {{14, 12, 2026}, {"08:00 Gimnasio"}},
      {{4, 1, 2027}, {"08:00 Gimnasio", "Lunes"}},  // weekly; the first Monday of the year
      {{8, 12, 2026}, {congress, "09:00 Caf\xE9", "20:00 Cine"}},
      {{9, 12, 2026}, {congress}},
      {{10, 12, 2026}, {}},
      {{1, 7, 2026}, {}},
      {{2, 7, 2026}, {"00:30 Vuelo"}},  // CEST: UTC + 2, the next day
      {{11, 12, 2026},
       {"Reuni\xF3n de la comunidad de vecinos para hablar de la derrama del ascensor y de la "
        "pintura de la fachada, con el administrador y los pr\xF3ximos presupuestos"}},
      {{15, 1, 2026}, {"13:00 Llamada", "Tres veces"}},  // in the order of the file
      {{21, 1, 2026}, {"Viaje"}},
      {{22, 1, 2026}, {}},
      {{15, 1, 2027}, {}},
      {{16, 1, 2024}, {"Hasta 2026"}},
      {{16, 1, 2025}, {}},
      {{16, 1, 2026}, {"Hasta 2026"}},
      {{16, 1, 2027}, {}},
      {{17, 1, 2026}, {"A\xF1os pares"}},
      {{17, 1, 2027}, {}},
      {{29, 2, 2028}, {"Bisiesto"}},
      {{29, 2, 2032}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Texts(agenda, c.date), c.texts)
        << c.date.day << "/" << c.date.month << "/" << c.date.year;
  }
  // Notes are UTF-8; cancellations are counted apart from what could not be placed.
  EXPECT_EQ(
      file->notes,
      (Texts_{
          "2 de 20 eventos sin colocar: sin una fecha de inicio (DTSTART) v\xC3\xA1lida (2 "
          "eventos, el primero en la l\xC3\xADnea 106)",
          "1 evento cancelado (STATUS:CANCELLED): no se muestra",
          "1 repetici\xC3\xB3n cancelada (RECURRENCE-ID con STATUS:CANCELLED): no se muestra"}));
}

TEST(CalendarFileTest, BrokenCalendarsNameTheLineAndTheReason) {
  struct Case {
    std::string bytes;
    std::size_t line;
    std::string reasonHas;
  };
  const std::string event = "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261207\r\n";
  const Case cases[] = {
      {"BEGIN:VCALENDAR\r\n" + event + "END:VEVENT\r\n", 4, "sin END:VCALENDAR"},
      {"BEGIN:VCALENDAR\r\n" + event + "END:VCALENDAR\r\n", 4, "no cierra"},
      {"BEGIN:VCALENDAR\r\n" + event + "esto no\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n", 4,
       "NOMBRE:valor"},
      {"BEGIN:VCALENDAR\r\n" + event + "SUMMARY:a\r\n " + std::string(1 << 20, 'x') +
           "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
       4, "demasiado larga"},
      {"BEGIN:VCALENDAR\r\n" + event + "SUMMARY:Cumplea\xF1os\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
       4, "UTF-8"},
      {"begin:vcalendar\nEND:VCALENDAR\nX:1\n", 3, "fuera de BEGIN:VCALENDAR"},
  };
  for (const Case& c : cases) {
    const Result<AgendaFile> file = ReadAgendaText(c.bytes);
    EXPECT_FALSE(file.ok()) << c.reasonHas;
    EXPECT_TRUE(file.message().starts_with("línea " + std::to_string(c.line) + ": "))
        << c.reasonHas << " | " << file.message();
    EXPECT_NE(file.message().find(c.reasonHas), std::string::npos) << file.message();
  }
}

// What a phone exports: repetitions of every kind, their changes and zones.
constexpr std::string_view kRepeating =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
    // Weekly; from the third Monday on, moved to Tuesdays at 11:00.
    "BEGIN:VEVENT\r\nUID:yoga\r\nDTSTART;TZID=Europe/Madrid:20270104T100000\r\n"
    "RRULE:FREQ=WEEKLY;BYDAY=MO\r\nSUMMARY:Yoga\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:yoga\r\nRECURRENCE-ID;TZID=Europe/Madrid;RANGE=THISANDFUTURE:"
    "20270118T100000\r\nDTSTART;TZID=Europe/Madrid:20270119T110000\r\nSUMMARY:Yoga (martes)\r\n"
    "END:VEVENT\r\n"
    // Daily until a cancellation of this and every later one.
    "BEGIN:VEVENT\r\nUID:obra\r\nDTSTART;VALUE=DATE:20270201\r\nRRULE:FREQ=DAILY\r\n"
    "SUMMARY:Obra\r\nEXDATE;VALUE=DATE:20270202\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:obra\r\nRECURRENCE-ID;VALUE=DATE;RANGE=THISANDFUTURE:20270204\r\n"
    "DTSTART;VALUE=DATE:20270204\r\nSTATUS:CANCELLED\r\nEND:VEVENT\r\n"
    // Two rules, and extra dates (a period among them).
    "BEGIN:VEVENT\r\nUID:cuota\r\nDTSTART;VALUE=DATE:20270301\r\n"
    "RRULE:FREQ=MONTHLY;BYMONTHDAY=1;COUNT=2\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=15;COUNT=2\r\n"
    "RDATE;VALUE=DATE:20270320,20270321\r\nSUMMARY:Cuota\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:tutor\r\nDTSTART:20270210T080000Z\r\n"
    "RDATE;VALUE=PERIOD:20270211T090000Z/PT1H,20270212T090000Z/20270212T100000Z\r\n"
    "SUMMARY:Tutor\xC3\xAD"
    "a\r\nEND:VEVENT\r\n"
    // Several on one day keep their times; a day left out of a timed event.
    "BEGIN:VEVENT\r\nUID:pastilla\r\nDTSTART:20270401T080000\r\nRRULE:FREQ=HOURLY;INTERVAL=6;"
    "BYHOUR=8,14,20;COUNT=6\r\nEXDATE;VALUE=DATE:20270402\r\nSUMMARY:Pastilla\r\nEND:VEVENT\r\n"
    // Yearly in UTC: the clock time follows summer time each year.
    "BEGIN:VEVENT\r\nUID:utc1\r\nDTSTART:20261027T120000Z\r\nRRULE:FREQ=YEARLY\r\n"
    "SUMMARY:Aniversario\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:utc2\r\nDTSTART:20260328T223000Z\r\nRRULE:FREQ=YEARLY\r\n"
    "SUMMARY:Noche\r\nEND:VEVENT\r\n"
    // An unknown zone: the time as written, and a note.
    "BEGIN:VEVENT\r\nUID:marte\r\nDTSTART;TZID=Marte/Olimpo:20270501T090000\r\n"
    "SUMMARY:Marte\r\nEND:VEVENT\r\n"
    // Rules that cannot be walked, each named.
    "BEGIN:VEVENT\r\nUID:c0\r\nDTSTART;VALUE=DATE:20270501\r\nRRULE:FREQ=DAILY;COUNT=0\r\n"
    "SUMMARY:Nunca\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:i0\r\nDTSTART;VALUE=DATE:20270501\r\nRRULE:FREQ=DAILY;INTERVAL=0\r\n"
    "SUMMARY:Nunca\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

TEST(CalendarFileTest, RepetitionsTheirChangesAndZones) {
  const Result<AgendaFile> file = ReadAgendaText(kRepeating);
  const Agenda agenda = AgendaOf(file);
  struct Case {
    PageDate date;
    Texts_ texts;
  };
  const Case cases[] = {
      {{11, 1, 2027}, {"10:00 Yoga"}},
      {{18, 1, 2027}, {}},
      {{19, 1, 2027}, {"11:00 Yoga (martes)"}},
      {{25, 1, 2027}, {}},
      {{1, 2, 2027}, {"Obra"}},
      {{2, 2, 2027}, {"11:00 Yoga (martes)"}},
      {{3, 2, 2027}, {"Obra"}},
      {{4, 2, 2027}, {}},
      {{1, 3, 2027}, {"Cuota"}},
      {{15, 3, 2027}, {"Cuota"}},
      {{20, 3, 2027}, {"Cuota"}},
      {{1, 4, 2027}, {"Cuota", "08:00 Pastilla", "14:00 Pastilla", "20:00 Pastilla"}},
      {{2, 4, 2027}, {}},
      {{3, 4, 2027}, {}},  // COUNT counts what EXDATE leaves out
      {{15, 4, 2027}, {"Cuota"}},
      {{1, 5, 2027}, {"09:00 Marte"}},
      {{15, 5, 2027}, {}},
      {{10, 2, 2027},
       {"09:00 Tutor\xED"
        "a"}},
      {{11, 2, 2027},
       {"10:00 Tutor\xED"
        "a"}},
      {{12, 2, 2027},
       {"10:00 Tutor\xED"
        "a"}},
      {{27, 10, 2026}, {"13:00 Aniversario"}},
      {{27, 10, 2027}, {"14:00 Aniversario"}},  // summer time lasts to 31/10/2027
      {{28, 3, 2026}, {"23:30 Noche"}},
      {{28, 3, 2027}, {}},
      {{29, 3, 2027}, {"00:30 Noche"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Texts(agenda, c.date), c.texts)
        << c.date.day << "/" << c.date.month << "/" << c.date.year;
  }
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->notes,
            (Texts_{"2 de 12 eventos sin colocar: RRULE con COUNT=0 (l\xC3\xADnea 66); RRULE con "
                    "INTERVAL=0 (l\xC3\xADnea 72)",
                    "TZID desconocido: Marte/Olimpo (l\xC3\xADnea 61): se toma la hora tal como "
                    "est\xC3\xA1 escrita",
                    "1 repetici\xC3\xB3n cancelada (RECURRENCE-ID con STATUS:CANCELLED): no se "
                    "muestra"}));
}

TEST(CalendarFileTest, EveryLineEndReadsTheSame) {
  const std::string list = "# fechas\n05/03 uno\n07/12 dos\n!01/05 tres\n";
  const std::string calendar(kRepeating);
  for (const std::string& text : {list, calendar}) {
    std::string crlf, cr;
    for (const char c : text) {
      if (c == '\n' && text == list) crlf += '\r';
      crlf += c;
      if (c != '\n') cr += c;
      if (c == '\n' && text == list) cr += '\r';
    }
    if (text == calendar) {
      // The calendar is written with CR LF: its CR-only and LF-only forms.
      crlf.clear();
      for (const char c : text) {
        if (c != '\r') crlf += c;
      }
    }
    const Result<AgendaFile> a = ReadAgendaText(text);
    const Result<AgendaFile> b = ReadAgendaText(crlf);
    const Result<AgendaFile> c = ReadAgendaText(cr);
    ASSERT_TRUE(a && b && c) << a.message() << b.message() << c.message();
    EXPECT_EQ(a->rules.size(), b->rules.size());
    EXPECT_EQ(a->rules.size(), c->rules.size());
    EXPECT_EQ(a->notes, c->notes);
    for (std::size_t i = 0; i < a->rules.size(); ++i) {
      EXPECT_EQ(a->rules[i].entry, c->rules[i].entry);
      EXPECT_EQ(a->rules[i].date, c->rules[i].date);
    }
  }
  const Result<AgendaFile> crOnly = ReadAgendaText("05/03 uno\r07/12 dos\r");
  ASSERT_TRUE(crOnly.ok()) << crOnly.message();
  EXPECT_EQ(crOnly->rules.size(), 2u);
}

TEST(CalendarFileTest, ReasonsQuoteTheFileInUtf8) {
  const Result<AgendaFile> file =
      ReadAgendaText("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:VEVENTO\xC3\x91\r\nEND:VCALENDAR\r\n");
  EXPECT_FALSE(file.ok());
  EXPECT_EQ(file.message(),
            "l\xC3\xADnea 3: END:VEVENTO\xC3\x91 no cierra ning\xC3\xBAn BEGIN abierto");
}

class AgendaFileTest : public test::FolderTest {
 protected:
  AgendaFileTest() : FolderTest("agenda-file") {}
};

TEST_F(AgendaFileTest, MissingOversizedAndFolderAreRefusedAsAWhole) {
  const fs::path big = dir() / "grande.txt";
  { std::ofstream(big) << "01/01 x\n"; }
  fs::resize_file(big, 50u << 20);
  const fs::path good = dir() / "fechas.txt";
  { std::ofstream(good) << "01/01 Uno\n"; }
  const std::pair<fs::path, std::string> cases[] = {
      {dir() / "no-existe.txt", "no existe"},
      {big, "demasiado grande"},
      {dir(), "carpeta"},
  };
  for (const auto& [path, reasonHas] : cases) {
    const Result<AgendaFile> file = ReadAgendaFile(path);
    EXPECT_FALSE(file.ok());
    // The file as a whole: its name, then why.
    EXPECT_EQ(file.message().find(ShownPath(path) + ": "), 0u) << file.message();
    EXPECT_NE(file.message().find(reasonHas), std::string::npos) << file.message();
  }
  const Result<AgendaFile> file = ReadAgendaFile(good);
  ASSERT_TRUE(file.ok()) << file.message();
  EXPECT_EQ(file->rules.size(), 1u);
}

TEST(AgendaTest, NationalHolidaysComeFirstAndAreHolidays) {
  Agenda agenda;
  agenda.AddNationalHolidays();
  const Result<AgendaFile> file = ReadDateList("25/12 Comida familiar\n!25/12 Otra fiesta\n");
  ASSERT_TRUE(file.ok()) << file.message();
  for (const AgendaRule& rule : file->rules) agenda.Add(rule);
  EXPECT_EQ(Texts(agenda, {25, 12, 2026}),
            (Texts_{"!Natividad del Se\xF1or", "Comida familiar", "!Otra fiesta"}));
  EXPECT_EQ(Texts(agenda, {3, 4, 2026}), Texts_{"!Viernes Santo"});
  EXPECT_TRUE(Texts(agenda, {31, 2, 2026}).empty());
}

}  // namespace
}  // namespace trevalda

namespace trevalda {
namespace {

// Repeating events are placed span by span, each span reaching two days
// into its neighbours for the time zones: an RDATE or DTSTART in that
// overlap belongs to the later span's pages too. Four hundred events, each
// with one RDATE on its own day, cross span boundaries wherever they fall.
TEST(CalendarFileTest, ExtraDatesAtTheEdgesOfThePlacedSpans) {
  std::string text = "BEGIN:VCALENDAR\r\n";
  const std::int32_t firstExtra = DaySerial({1, 2, 2026});
  for (int i = 0; i < 400; ++i) {
    const PageDate extra = DateFromSerial(firstExtra + i);
    char rdate[64];
    std::snprintf(rdate, sizeof rdate, "RDATE;TZID=America/New_York:%04d%02d%02dT200000\r\n",
                  extra.year, extra.month, extra.day);
    text.append("BEGIN:VEVENT\r\nUID:e").append(std::to_string(i));
    text.append("\r\nDTSTART;TZID=America/New_York:20260105T200000\r\n");
    text.append("RRULE:FREQ=WEEKLY;COUNT=1\r\n").append(rdate);
    text.append("SUMMARY:Extra\r\nEND:VEVENT\r\n");
  }
  text.append("END:VCALENDAR\r\n");
  const Agenda agenda = AgendaOf(ReadAgendaText(text));
  // 20:00 in New York is 02:00 (or 01:00) of the next day in Madrid.
  int days = 0;
  for (std::int32_t d = DaySerial({1, 1, 2026}); d <= DaySerial({31, 12, 2027}); ++d) {
    const std::vector<std::string> texts = Texts(agenda, DateFromSerial(d));
    const bool extraDay = d > firstExtra && d <= firstExtra + 400;
    if (d == DaySerial({6, 1, 2026})) {
      EXPECT_EQ(texts.size(), 400u);
    } else if (extraDay) {
      // 02:00, or 01:00 while only New York has changed its clocks.
      days += texts == std::vector<std::string>{"02:00 Extra"} ||
                      texts == std::vector<std::string>{"01:00 Extra"}
                  ? 1
                  : 0;
    } else {
      EXPECT_TRUE(texts.empty()) << d;
    }
  }
  EXPECT_EQ(days, 400);
}

}  // namespace
}  // namespace trevalda
