// agenda.ini read and written, and the command line the dialog's choices
// stand for, checked against the command line's own parser.
#include "app/agenda_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cli_options.h"

namespace trevalda {
namespace {

constexpr PageDate kJune2026{15, 6, 2026};
constexpr PageDate kOctober2026{1, 10, 2026};

using Args = std::vector<std::string>;

TEST(AgendaSettingsTest, DefaultYearTurnsInOctober) {
  EXPECT_EQ(DefaultAgendaYear({30, 9, 2026}), 2026);
  EXPECT_EQ(DefaultAgendaYear(kOctober2026), 2027);
  EXPECT_EQ(DefaultAgendaYear({31, 12, 2026}), 2027);
  const AgendaSettings settings = ReadAgendaSettings("", kOctober2026);
  EXPECT_EQ(settings.from, (PageDate{1, 1, 2027}));
  EXPECT_EQ(settings.to, (PageDate{31, 12, 2027}));
  EXPECT_EQ(settings.format, "pdf");
  EXPECT_EQ(settings[AgendaChoice::kPaper], "a4");
  EXPECT_TRUE(settings.holidays);
  EXPECT_EQ(settings[AgendaChoice::kBooklet], "0");
  EXPECT_TRUE(settings.dateFiles.empty());
}

TEST(AgendaSettingsTest, ReadsEveryKey) {
  const AgendaSettings settings = ReadAgendaSettings(
      "\xEF\xBB\xBF"
      "desde=02/03/2027\r\n"
      "hasta = 4-3-2027\r\n"
      "# a comment=ignored\n"
      "formato=png\n"
      "papel=tablet\n"
      "librito=1\n"
      "margen=7,5\n"
      "festivos=0\n"
      "zona = Atlantic/Canary\n"
      "fechas2=C:\\b\\año.ics\n"
      "fechas1=C:\\a\\cumpleaños.txt\n"
      "desconocida=1\n"
      "carpeta=D:\\Mis agendas\n",
      kJune2026);
  EXPECT_EQ(settings.from, (PageDate{2, 3, 2027}));
  EXPECT_EQ(settings.to, (PageDate{4, 3, 2027}));
  EXPECT_EQ(settings.format, "png");
  EXPECT_EQ(settings[AgendaChoice::kPaper], "tablet");
  EXPECT_EQ(settings[AgendaChoice::kBooklet], "1");
  EXPECT_EQ(settings[AgendaChoice::kMargin], "7,5");
  EXPECT_FALSE(settings.holidays);
  EXPECT_EQ(settings[AgendaChoice::kZone], "Atlantic/Canary");
  EXPECT_EQ(settings.dateFiles, (Args{"C:\\a\\cumpleaños.txt", "C:\\b\\año.ics"}));
  EXPECT_EQ(settings.folder, "D:\\Mis agendas");
}

// Each bad value leaves its choice, and only it, at the default.
TEST(AgendaSettingsTest, BadValuesFallBackToDefaults) {
  const AgendaSettings defaults = DefaultAgendaSettings(kJune2026);
  for (const char* text :
       {"formato=gif", "formato=PDF", "papel=a3", "librito=si", "margen=31", "margen=abc",
        "margen=", "festivos=2", "zona=Marte/Olimpo", "desde=31/02/2027",
        "desde=01/01/2027\nhasta=31/12/2026", "desde=01/01/2020\nhasta=01/01/2031",
        "hasta=10/10/2026", "fechas0=a.txt", "fechas21=a.txt", "fechas1=", "fechasx=a.txt",
        "sin igual"}) {
    SCOPED_TRACE(text);
    const AgendaSettings settings = ReadAgendaSettings(text, kJune2026);
    EXPECT_EQ(settings.from, defaults.from);
    EXPECT_EQ(settings.to, defaults.to);
    EXPECT_EQ(settings.format, defaults.format);
    EXPECT_EQ(settings[AgendaChoice::kPaper], defaults[AgendaChoice::kPaper]);
    EXPECT_EQ(settings[AgendaChoice::kBooklet], defaults[AgendaChoice::kBooklet]);
    EXPECT_EQ(settings[AgendaChoice::kMargin], defaults[AgendaChoice::kMargin]);
    EXPECT_EQ(settings.holidays, defaults.holidays);
    EXPECT_EQ(settings[AgendaChoice::kZone], "Europe/Madrid");
    EXPECT_TRUE(settings.dateFiles.empty());
  }
}

TEST(AgendaSettingsTest, WrittenSettingsReadBackTheSame) {
  AgendaSettings settings = DefaultAgendaSettings(kJune2026);
  settings.from = {28, 2, 2028};
  settings.to = {1, 3, 2028};
  settings.format = "bmp";
  settings[AgendaChoice::kPaper] = "letter";
  settings[AgendaChoice::kMargin] = "12";
  settings[AgendaChoice::kZone] = "UTC";
  settings.holidays = false;
  settings.dateFiles = {"C:\\x\\uno.txt", "C:\\x\\dos.ics", "C:\\x\\línea\nrota.txt"};
  settings.folder = "C:\\Users\\Ana\\Documents";
  const std::string text = WriteAgendaSettings(settings);
  EXPECT_NE(text.find("desde=28/02/2028\r\nhasta=01/03/2028\r\n"), std::string::npos) << text;
  const AgendaSettings read = ReadAgendaSettings(text, kOctober2026);
  EXPECT_EQ(read.from, settings.from);
  EXPECT_EQ(read.to, settings.to);
  EXPECT_EQ(read.format, settings.format);
  EXPECT_EQ(read[AgendaChoice::kPaper], settings[AgendaChoice::kPaper]);
  EXPECT_EQ(read[AgendaChoice::kMargin], settings[AgendaChoice::kMargin]);
  EXPECT_EQ(read[AgendaChoice::kZone], "UTC");
  EXPECT_EQ(read.holidays, settings.holidays);
  // The path with a line break cannot be written.
  EXPECT_EQ(read.dateFiles, (Args{"C:\\x\\uno.txt", "C:\\x\\dos.ics"}));
  EXPECT_EQ(read.folder, settings.folder);
}

// Every choice is an option of the command line, and its probe one of its
// values (for the page options of the modern style, with it).
TEST(AgendaSettingsTest, ChoicesAreCommandLineOptions) {
  for (std::size_t i = 0; i < kAgendaChoiceCount; ++i) {
    const AgendaChoiceSpec& entry = SpecOf(static_cast<AgendaChoice>(i));
    SCOPED_TRACE(entry.option);
    Args args = {"--format", "pdf", "--style", "modern", std::string(entry.option)};
    if (!entry.isSwitch) args.emplace_back(entry.probe);
    EXPECT_TRUE(ParseCommandLine(args));
    EXPECT_FALSE(ParseCommandLine({std::string(entry.option) + "x"})) << "no such option";
    for (const AgendaWord& word : entry.words) {
      EXPECT_TRUE(ParseCommandLine({std::string(entry.option), std::string(word.value)}));
    }
  }
}

TEST(AgendaSettingsTest, ArgumentsAreTheCommandLinesOwn) {
  AgendaSettings settings = DefaultAgendaSettings(kOctober2026);
  settings.dateFiles = {"C:\\f\\fechas.txt", "C:\\f\\cal.ics"};
  settings.folder = "C:\\salida";
  const Args args = AgendaArguments(settings);
  EXPECT_EQ(args,
            (Args{"01/01/2027", "--to", "31/12/2027", "--format", "pdf", "-o", "C:\\salida",
                  "--holidays", "--dates", "C:\\f\\fechas.txt", "--dates", "C:\\f\\cal.ics"}));
  const Result<CliOptions> parsed = ParseCommandLine(args);
  ASSERT_TRUE(parsed) << parsed.message();
  EXPECT_EQ(parsed->dateFiles.size(), 2u);
  EXPECT_TRUE(parsed->holidays);
}

// Which choices the dialog offers, as the parser decides them.
// The sheet choices the dialog offers, as the parser decides them: "P"
// paper, "M" margin, "B" booklet.
std::string SheetChoices(const AgendaSettings& settings) {
  const auto allowed = AllowedChoices(settings);
  std::string shown;
  for (auto [choice, letter] : {std::pair{AgendaChoice::kPaper, 'P'},
                                {AgendaChoice::kMargin, 'M'},
                                {AgendaChoice::kBooklet, 'B'}}) {
    if (allowed[static_cast<std::size_t>(choice)]) shown += letter;
  }
  return shown;
}

TEST(AgendaSettingsTest, ChoicesFollowTheParser) {
  struct Case {
    const char* format;
    const char* paper;
    bool booklet;
    const char* margin;
    const char* allowed;
    Args tail;  // what follows --format VALUE
  };
  const Case cases[] = {
      {"png", "a5", true, "10", "", {}},
      {"bmp", "a4", false, "", "", {}},
      {"pdf", "a4", false, "", "PMB", {}},
      {"pdf", "a5", false, "8", "PM", {"--paper", "a5", "--binding-margin", "8"}},
      {"pdf", "a5", true, "", "PM", {"--paper", "a5"}},
      {"pdf", "a4", true, "3,5", "PMB", {"--binding-margin", "3,5", "--booklet"}},
      // A margin the parser refuses is passed on, for it to say why.
      {"pdf", "a4", false, "99", "PMB", {"--binding-margin", "99"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " " + c.paper + " " + c.margin);
    AgendaSettings settings = DefaultAgendaSettings(kJune2026);
    settings.holidays = false;
    settings.format = c.format;
    settings[AgendaChoice::kPaper] = c.paper;
    settings[AgendaChoice::kBooklet] = c.booklet ? "1" : "0";
    settings[AgendaChoice::kMargin] = c.margin;
    EXPECT_EQ(SheetChoices(settings), c.allowed);
    EXPECT_TRUE(AllowedChoices(settings)[static_cast<std::size_t>(AgendaChoice::kZone)]);
    Args expected = {"01/01/2026", "--to", "31/12/2026", "--format", c.format};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(AgendaArguments(settings), expected);
  }
}

TEST(AgendaSettingsTest, ReadsAndWritesThePageOptions) {
  const AgendaSettings settings = ReadAgendaSettings(
      "estilo=moderno\nhoras=8-21\nlugar=Santa Cruz de Tenerife\nplanificador=1\nnotas=2\n"
      "zona=Atlantic/Canary\n",
      kJune2026);
  EXPECT_EQ(settings[AgendaChoice::kStyle], "modern");
  EXPECT_EQ(settings[AgendaChoice::kHours], "8-21");
  EXPECT_EQ(settings[AgendaChoice::kPlace], "Santa Cruz de Tenerife");
  EXPECT_EQ(settings[AgendaChoice::kPlanner], "1");
  EXPECT_EQ(settings[AgendaChoice::kNotes], "2");
  const std::string text = WriteAgendaSettings(settings);
  EXPECT_NE(text.find("estilo=moderno\r\nhoras=8-21\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("planificador=1\r\nnotas=2\r\n"), std::string::npos) << text;
  EXPECT_EQ(ReadAgendaSettings(text, kJune2026).choices, settings.choices);
  // The command line's own words, and coordinates as --place takes them.
  const AgendaSettings spelt =
      ReadAgendaSettings("estilo=classic\nlugar=40.42,-3.70\nnotas=31\n", kJune2026);
  EXPECT_EQ(spelt[AgendaChoice::kStyle], "classic");
  EXPECT_EQ(spelt[AgendaChoice::kPlace], "40.42,-3.70");
  EXPECT_EQ(spelt[AgendaChoice::kNotes], "31");
  EXPECT_NE(WriteAgendaSettings(spelt).find("estilo=clasico\r\n"), std::string::npos);
}

// An old agenda.ini, without the page options, makes what it made before:
// the classic page, no planner, no notes.
TEST(AgendaSettingsTest, PageOptionsDefaultToNone) {
  const AgendaSettings defaults = DefaultAgendaSettings(kJune2026);
  EXPECT_EQ(defaults[AgendaChoice::kStyle], "classic");
  EXPECT_EQ(defaults[AgendaChoice::kHours], "");
  EXPECT_EQ(defaults[AgendaChoice::kPlace], "Madrid");
  EXPECT_EQ(defaults[AgendaChoice::kPlanner], "0");
  EXPECT_EQ(defaults[AgendaChoice::kNotes], "0");
  for (const char* text : {"estilo=Moderno", "estilo=nuevo", "estilo=", "horas=21-8", "horas=0-23",
                           "horas=8", "lugar=Atlantida", "lugar=91,0", "planificador=si",
                           "planificador=2", "notas=32", "notas=-1", "notas=dos"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ReadAgendaSettings(text, kJune2026).choices, defaults.choices);
  }
  AgendaSettings old = ReadAgendaSettings(
      "desde=01/01/2027\nhasta=31/12/2027\nformato=pdf\n"
      "papel=a5\nfestivos=0\n",
      kJune2026);
  EXPECT_EQ(AgendaArguments(old),
            (Args{"01/01/2027", "--to", "31/12/2027", "--format", "pdf", "--paper", "a5"}));
}

// The page choices the dialog offers: "S" style, "H" hours, "L" place, "P"
// planner, "N" notes.
std::string PageChoices(const AgendaSettings& settings) {
  const auto allowed = AllowedChoices(settings);
  std::string shown;
  for (auto [choice, letter] :
       {std::pair{AgendaChoice::kStyle, 'S'}, std::pair{AgendaChoice::kHours, 'H'},
        std::pair{AgendaChoice::kPlace, 'L'}, std::pair{AgendaChoice::kPlanner, 'P'},
        std::pair{AgendaChoice::kNotes, 'N'}}) {
    if (allowed[static_cast<std::size_t>(choice)]) shown += letter;
  }
  return shown;
}

TEST(AgendaSettingsTest, PageChoicesFollowTheParser) {
  struct Case {
    const char* format;
    const char* style;
    const char* hours;
    const char* planner;
    const char* notes;
    const char* zone;
    const char* allowed;
    Args tail;  // what follows --format VALUE
  };
  const Case cases[] = {
      // Hours and place need the modern style; planner and notes a PDF.
      {"pdf", "classic", "8-21", "1", "3", "Europe/Madrid", "SPN", {"--planner", "--notes", "3"}},
      {"png",
       "modern",
       "8-21",
       "1",
       "3",
       "Europe/Madrid",
       "SHL",
       {"--style", "modern", "--hours", "8-21"}},
      {"pdf",
       "modern",
       "7-20",
       "0",
       "1",
       "Atlantic/Canary",
       "SHLPN",
       {"--style", "modern", "--hours", "7-20", "--notes", "1", "--tz", "Atlantic/Canary"}},
      // A zone the modern page refuses is passed on, for the parser to say
      // why; it does not close the style it comes after.
      {"bmp",
       "modern",
       "",
       "0",
       "0",
       "Asia/Tokyo",
       "SHL",
       {"--style", "modern", "--tz", "Asia/Tokyo"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " " + c.style + " " + c.zone);
    AgendaSettings settings = DefaultAgendaSettings(kJune2026);
    settings.holidays = false;
    settings.format = c.format;
    settings[AgendaChoice::kStyle] = c.style;
    settings[AgendaChoice::kHours] = c.hours;
    settings[AgendaChoice::kPlanner] = c.planner;
    settings[AgendaChoice::kNotes] = c.notes;
    settings[AgendaChoice::kZone] = c.zone;
    EXPECT_EQ(PageChoices(settings), c.allowed);
    Args expected = {"01/01/2026", "--to", "31/12/2026", "--format", c.format};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(AgendaArguments(settings), expected);
  }
}

}  // namespace
}  // namespace trevalda
