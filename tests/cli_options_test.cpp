#include "app/cli_options.h"
#include "page/modern_page.h"

#include <gtest/gtest.h>

namespace trevalda {
namespace {

TEST(NormalizeDateTextTest, AcceptsTheWaysPeopleWriteADate) {
  const std::pair<std::string, std::string> cases[] = {
      {"07/12/2026", "07/12/2026"},   {"7/12/2026", "07/12/2026"},
      {"7-1-2026", "07/01/2026"},     {"7.12.2026", "07/12/2026"},
      {"07\\12\\2026", "07/12/2026"}, {" 7 / 12 / 2026 ", "07/12/2026"},
      {"2026-12-07", "07/12/2026"},   {"2026-1-7", "07/01/2026"},
      {"31/02/2026", "31/02/2026"},   {"00/05/2026", "00/05/2026"},
      {"07/13/2026", "07/13/2026"},   {"\t7/12/2026", "07/12/2026"},
  };
  for (const auto& [typed, normal] : cases) {
    const auto result = NormalizeDateText(typed);
    ASSERT_TRUE(result.has_value()) << typed;
    EXPECT_EQ(*result, normal) << typed;
  }
}

TEST(NormalizeDateTextTest, RefusesOtherShapes) {
  const std::string cases[] = {
      "7/12/26",
      "07122026",
      "",
      "hoy",
      "07/12",
      "07/12/2026/1",
      "007/12/2026",
      "07/12/20266",
      "07//12/2026",
      "07/12/2026x",
      "-7/12/2026",
      "07 12 2026",
      "٠٧/١٢/٢٠٢٦",
      "2026-12-07T10",
      "1/2/3/4",
      std::string(1 << 20, '1'),
      "07/12/2026\n",
  };
  for (const auto& typed : cases) {
    EXPECT_FALSE(NormalizeDateText(typed).has_value()) << typed.substr(0, 20);
  }
}

TEST(ParseCommandLineTest, ReadsDateFolderAndActions) {
  struct Case {
    std::vector<std::string> args;
    CliAction action;
    std::string date;
    std::string output;
  };
  const Case cases[] = {
      {{}, CliAction::kWritePage, "", ""},
      {{"07/12/2026"}, CliAction::kWritePage, "07/12/2026", ""},
      {{"07/12/2026", "-o", "out"}, CliAction::kWritePage, "07/12/2026", "out"},
      {{"-o", "out", "07/12/2026"}, CliAction::kWritePage, "07/12/2026", "out"},
      {{"--output=out dir", "1/1/2026"}, CliAction::kWritePage, "1/1/2026", "out dir"},
      {{"-oout"}, CliAction::kWritePage, "", "out"},
      {{"--describe", "07/12/2026"}, CliAction::kDescribe, "07/12/2026", ""},
      {{"--help", "nonsense-is-not-read"}, CliAction::kHelp, "nonsense-is-not-read", ""},
      {{"-h"}, CliAction::kHelp, "", ""},
      {{"--version"}, CliAction::kVersion, "", ""},
      {{"--describe", "--help"}, CliAction::kHelp, "", ""},
      {{"--", "-7/12/2026"}, CliAction::kWritePage, "-7/12/2026", ""},
      {{"-o=out"}, CliAction::kWritePage, "", "out"},
      {{"-oa=b"}, CliAction::kWritePage, "", "a=b"},
  };
  for (const auto& c : cases) {
    const Result<CliOptions> result = ParseCommandLine(c.args);
    ASSERT_TRUE(result.ok()) << result.message();
    EXPECT_EQ(result->action, c.action);
    EXPECT_EQ(result->date, c.date);
    EXPECT_EQ(result->output, c.output);
  }
}

TEST(ParseCommandLineTest, ReadsTheAgendaOptions) {
  const Result<CliOptions> plain = ParseCommandLine({"07/12/2026"});
  EXPECT_FALSE(plain->holidays || plain->isoWeek);
  EXPECT_TRUE(plain->dateFiles.empty());
  const Result<CliOptions> result =
      ParseCommandLine({"--dates", "a.txt", "--holidays", "--dates=b c.ics", "--week", "iso",
                        "07/12/2026", "--dates", "-raro.txt"});
  ASSERT_TRUE(result.ok()) << result.message();
  EXPECT_TRUE(result->holidays);
  EXPECT_TRUE(result->isoWeek);
  EXPECT_EQ(result->dateFiles, (std::vector<std::string>{"a.txt", "b c.ics", "-raro.txt"}));
  EXPECT_FALSE(ParseCommandLine({"--week=iso", "--week=agenda"})->isoWeek);
  std::vector<std::string> many;
  for (std::size_t i = 0; i <= kMaxDateFiles; ++i) many.push_back("--dates=f" + std::to_string(i));
  EXPECT_FALSE(ParseCommandLine(many).ok());
  many.pop_back();
  EXPECT_TRUE(ParseCommandLine(many).ok());
}

TEST(ParseCommandLineTest, ReadsTheStyleOptions) {
  const Result<CliOptions> classic = ParseCommandLine({"07/12/2026"});
  EXPECT_EQ(classic->style, PageStyle::kClassic);
  EXPECT_FALSE(classic->place || classic->hours || classic->zone);
  EXPECT_EQ(classic->sheets.safeEdgeMm, 0);  // the classic PDF as it always was

  // The modern page: the sun of Madrid, the page's 5 mm kept on paper.
  const Result<CliOptions> modern = ParseCommandLine({"--style", "modern"});
  ASSERT_TRUE(modern.ok()) << modern.message();
  ASSERT_TRUE(modern->place);
  EXPECT_EQ(modern->place->name, "Madrid");
  EXPECT_EQ(modern->place->zone, SpanishTime::kPeninsula);
  EXPECT_EQ(modern->sheets.safeEdgeMm, 5);
  EXPECT_EQ(modern->sheets.pageMarginPx, kPrintSafeMargin);

  const Result<CliOptions> full =
      ParseCommandLine({"--hours=7-20", "--place", "santa cruz de tenerife", "--style=modern"});
  ASSERT_TRUE(full.ok()) << full.message();
  EXPECT_EQ(full->hours, (HourSpan{7, 20}));
  EXPECT_EQ(full->place->zone, SpanishTime::kCanary);
  EXPECT_FALSE(full->zone);
  EXPECT_EQ(ParseCommandLine({"--style=modern", "--tz", "Atlantic/Canary"})->zone,
            SpanishTime::kCanary);
  // The modern page's moon and sun are in one of Spain's two times.
  const Result<CliOptions> paris = ParseCommandLine({"--style=modern", "--tz", "Europe/Paris"});
  ASSERT_FALSE(paris.ok());
  EXPECT_NE(paris.message().find("--tz \"Europe/Paris\" no vale con --style modern"),
            std::string::npos)
      << paris.message();
  EXPECT_TRUE(ParseCommandLine({"--tz", "Europe/Paris"}).ok());
  EXPECT_FALSE(ParseCommandLine({"--style=modern", "--place", "none"})->place);
  const Result<CliOptions> point = ParseCommandLine({"--style=modern", "--place", " 43.5 ,-8.25"});
  ASSERT_TRUE(point.ok()) << point.message();
  EXPECT_EQ(point->place->name, "43.50, -8.25");
  EXPECT_DOUBLE_EQ(point->place->where.longitude, -8.25);
  // Hours: the widest span that fits, and what does not.
  EXPECT_TRUE(ParseCommandLine({"--style=modern", "--hours=0-20"}).ok());
  for (const char* hours : {"0-21", "9-9", "10-9", "8-", "-8", "08-021", "8:00-9", "a-b"}) {
    EXPECT_FALSE(ParseCommandLine({"--style=modern", std::string("--hours=") + hours}).ok())
        << hours;
  }
}

TEST(ParseCommandLineTest, ReadsTheTimeZoneByName) {
  EXPECT_EQ(ParseCommandLine({"07/12/2026"})->timeZone, "Europe/Madrid");
  const struct {
    const char* typed;
    const char* zone;
  } kZones[] = {{"Atlantic/Canary", "Atlantic/Canary"},
                {"America/New_York", "America/New_York"},
                {"Romance Standard Time", "Europe/Paris"},
                {"UTC", "UTC"}};
  for (const auto& z : kZones) {
    const Result<CliOptions> result = ParseCommandLine({"--tz", z.typed});
    ASSERT_TRUE(result.ok()) << result.message();
    EXPECT_EQ(result->timeZone, z.zone);
  }
  for (const char* bad : {"Europe/Nowhere", "../../etc/passwd", "/etc/localtime", "CEST"}) {
    const Result<CliOptions> result = ParseCommandLine({"--tz=" + std::string(bad)});
    EXPECT_FALSE(result.ok()) << bad;
    EXPECT_NE(result.message().find("zona horaria desconocida: \"" + std::string(bad) + "\""),
              std::string::npos)
        << result.message();
  }
}

TEST(ParseCommandLineTest, RefusesBadCommandLinesWithAReason) {
  const std::vector<std::string> cases[] = {
      {"07/12/2026", "08/12/2026"},
      {"-o"},
      {"--output"},
      {"--output="},
      {"--bogus"},
      {"-x"},
      {"--describe=yes"},
      {"--dates"},
      {"--dates="},
      {"--week", "semana"},
      {"--week"},
      {"--holidays=no"},
  };
  for (const auto& args : cases) {
    const Result<CliOptions> result = ParseCommandLine(args);
    EXPECT_FALSE(result.ok()) << args[0];
    EXPECT_FALSE(result.message().empty());
  }
}

// Option values are words, in any case; an unknown option suggests the one
// the user probably meant, and only when one is near.
TEST(ParseCommandLineTest, ValuesInAnyCaseAndTheNearestOptionSuggested) {
  const Result<CliOptions> upper =
      ParseCommandLine({"--year", "2027", "--format", "PDF", "--paper", "A5", "--week", "Iso"});
  ASSERT_TRUE(upper.ok()) << upper.message();
  EXPECT_EQ(upper->format, CliFormat::kPdf);
  EXPECT_EQ(upper->sheets.paper, Paper::kA5);
  EXPECT_TRUE(upper->isoWeek);
  const Result<CliOptions> modern = ParseCommandLine({"--style", "MODERN", "--place", "None"});
  ASSERT_TRUE(modern.ok()) << modern.message();
  EXPECT_EQ(modern->style, PageStyle::kModern);
  EXPECT_FALSE(modern->place) << "NONE is none, in any case";
  EXPECT_EQ(ParseCommandLine({"--style=Modern", "--place=MADRID"})->place->name, "Madrid");
  // Zone names are the tz database's identifiers: their case is part of
  // the name.
  for (const char* zone : {"europe/madrid", "utc", "ROMANCE STANDARD TIME"}) {
    EXPECT_FALSE(ParseCommandLine({"--tz", zone}).ok()) << zone;
  }

  const std::pair<std::string, std::string> suggestions[] = {
      {"--holiday", "(¿quisiste decir --holidays?)"},
      {"--holydays", "(¿quisiste decir --holidays?)"},
      {"--fromat=pdf", "(¿quisiste decir --format?)"},
      {"--Dates", "(¿quisiste decir --dates?)"},
      {"--bookl", "(¿quisiste decir --booklet?)"},
      {"--zzzzzzzzzz", ""},
      {"--colour", ""},
  };
  for (const auto& [typed, suggestion] : suggestions) {
    const Result<CliOptions> result = ParseCommandLine({typed});
    ASSERT_FALSE(result.ok()) << typed;
    if (suggestion.empty()) {
      EXPECT_EQ(result.message().find("quisiste"), std::string::npos) << result.message();
    } else {
      EXPECT_NE(result.message().find(suggestion), std::string::npos) << result.message();
    }
  }
}

TEST(ParseCommandLineTest, ReadsThePaperOptionsOfAPdf) {
  struct Case {
    std::vector<std::string> args;
    Paper paper;
    double margin;
    bool booklet;
  };
  const Case cases[] = {
      {{"--year", "2027", "--format", "pdf"}, Paper::kA4, 0, false},
      {{"--year=2027", "--format=pdf", "--paper", "a5"}, Paper::kA5, 0, false},
      {{"--year=2027", "--paper=letter", "--format=pdf"}, Paper::kLetter, 0, false},
      {{"--year=2027", "--format=pdf", "--paper=tablet", "--binding-margin", "12"},
       Paper::kTablet,
       12,
       false},
      {{"--year=2027", "--format=pdf", "--binding-margin=7,5"}, Paper::kA4, 7.5, false},
      {{"--year=2027", "--format=pdf", "--binding-margin=0.25"}, Paper::kA4, 0.25, false},
      {{"--year=2027", "--format=pdf", "--binding-margin=30"}, Paper::kA4, 30, false},
      {{"--year=2027", "--format=pdf", "--booklet", "--binding-margin=3"}, Paper::kA4, 3, true},
  };
  for (const auto& c : cases) {
    const Result<CliOptions> result = ParseCommandLine(c.args);
    ASSERT_TRUE(result.ok()) << result.message();
    EXPECT_EQ(result->sheets.paper, c.paper) << c.args.back();
    EXPECT_DOUBLE_EQ(result->sheets.bindingMarginMm, c.margin) << c.args.back();
    EXPECT_EQ(result->sheets.booklet, c.booklet) << c.args.back();
  }
}

TEST(ParseCommandLineTest, RefusesPaperOptionsOutOfPlace) {
  struct Case {
    std::vector<std::string> args;
    const char* named;  // what the message must name
  };
  const Case cases[] = {
      {{"--year=2027", "--paper=a5"}, "--paper"},
      {{"--year=2027", "--format=png", "--booklet"}, "--booklet"},
      {{"07/12/2026", "--binding-margin=5"}, "--binding-margin"},
      {{"--year=2027", "--format=pdf", "--paper=a3"}, "a3"},
      {{"--year=2027", "--format=pdf", "--binding-margin=30.01"}, "30.01"},
      {{"--year=2027", "--format=pdf", "--binding-margin=-1"}, "-1"},
      {{"--year=2027", "--format=pdf", "--binding-margin=1e1"}, "1e1"},
      {{"--year=2027", "--format=pdf", "--binding-margin=5mm"}, "5mm"},
      {{"--year=2027", "--format=pdf", "--binding-margin=,5"}, ",5"},
      {{"--year=2027", "--format=pdf", "--binding-margin=5."}, "5."},
      {{"--year=2027", "--format=pdf", "--binding-margin=0005"}, "0005"},
      {{"--year=2027", "--format=pdf", "--booklet", "--paper=a5"}, "--paper"},
  };
  for (const auto& c : cases) {
    const Result<CliOptions> result = ParseCommandLine(c.args);
    EXPECT_FALSE(result.ok()) << c.named;
    EXPECT_NE(result.message().find(c.named), std::string::npos) << result.message();
  }
}

// Every option that takes a value refuses an empty one, in every spelling:
// an empty --to or --year must not read as no option at all.
TEST(ParseCommandLineTest, RefusesAnEmptyValueForEveryOptionThatTakesOne) {
  std::vector<std::string> names;
  for (const CliOption& option : CliOptionTable()) {
    if (option.value.empty()) continue;
    names.emplace_back(option.name);
    if (option.letter != 0) names.push_back(std::string("-") + option.letter);
  }
  ASSERT_GE(names.size(), 10u);
  for (const std::string& name : names) {
    const std::vector<std::string> spellings[] = {{"01/01/2027", name, ""},
                                                  {"01/01/2027", name + "="}};
    for (const auto& args : spellings) {
      const Result<CliOptions> result = ParseCommandLine(args);
      EXPECT_FALSE(result.ok()) << args[1];
      EXPECT_NE(result.message().find(name), std::string::npos) << result.message();
    }
  }
  const Result<CliOptions> attached = ParseCommandLine({"-fpng", "07/12/2026"});
  ASSERT_TRUE(attached.ok()) << attached.message();
  EXPECT_EQ(attached->format, CliFormat::kPng);
}

// What the user typed comes back escaped: no control byte reaches the
// terminal from an error message.
TEST(ParseCommandLineTest, EchoedArgumentsHaveTheirControlCharactersEscaped) {
  const std::vector<std::string> cases[] = {{"--x\x1B]0;HACKED\a"},
                                            {"07/12/2026", "\x1B[2J"},
                                            {"--format", "\x1B[2J"},
                                            {"--paper", "\x1B[2J"},
                                            {"--binding-margin", "\x1B[2J"}};
  for (const auto& args : cases) {
    const Result<CliOptions> result = ParseCommandLine(args);
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.message().find("\\e"), std::string::npos) << result.message();
    for (const char c : result.message()) {
      EXPECT_GE(static_cast<unsigned char>(c), 0x20) << result.message();
    }
  }
}

// --help is made from the option table: every option with its spellings
// and its value, its description lined up after them, the pdf-only ones
// under their heading; an option without a value refuses one.
TEST(CliOptionTableTest, FeedsTheHelpAndTheParser) {
  const std::string_view help = UsageText();
  const std::size_t pdfHeading = help.find("\nSolo con --format pdf:\n");
  ASSERT_NE(pdfHeading, std::string_view::npos);
  const std::size_t modernHeading = help.find("\nSolo con --style modern:\n");
  ASSERT_GT(modernHeading, pdfHeading);
  for (const CliOption& option : CliOptionTable()) {
    std::string head = option.letter != 0 ? std::string("  -") + option.letter + ", " : "      ";
    head += option.name;
    if (!option.value.empty()) head += " " + std::string(option.value);
    const std::size_t line = help.find("\n" + head + "  ");
    ASSERT_NE(line, std::string_view::npos) << head;
    EXPECT_EQ(line > pdfHeading && line < modernHeading, option.pdfOnly) << head;
    EXPECT_EQ(line > modernHeading, option.modernOnly) << head;
    const std::string_view firstLine = option.help.substr(0, option.help.find('\n'));
    EXPECT_EQ(help.substr(help.find_first_not_of(' ', line + head.size() + 1), firstLine.size()),
              firstLine);
    if (option.value.empty()) {
      EXPECT_FALSE(ParseCommandLine({std::string(option.name) + "=x"}).ok()) << option.name;
    }
  }
}

}  // namespace
}  // namespace trevalda
