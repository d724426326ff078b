#include "app/cli_options.h"

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
    const CliParseResult result = ParseCommandLine(c.args);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.options.action, c.action);
    EXPECT_EQ(result.options.date, c.date);
    EXPECT_EQ(result.options.output, c.output);
  }
}

TEST(ParseCommandLineTest, ReadsTheAgendaOptions) {
  const CliParseResult plain = ParseCommandLine({"07/12/2026"});
  EXPECT_FALSE(plain.options.holidays || plain.options.isoWeek);
  EXPECT_TRUE(plain.options.dateFiles.empty());
  const CliParseResult result =
      ParseCommandLine({"--dates", "a.txt", "--holidays", "--dates=b c.ics", "--week", "iso",
                        "07/12/2026", "--dates", "-raro.txt"});
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(result.options.holidays);
  EXPECT_TRUE(result.options.isoWeek);
  EXPECT_EQ(result.options.dateFiles, (std::vector<std::string>{"a.txt", "b c.ics", "-raro.txt"}));
  EXPECT_FALSE(ParseCommandLine({"--week=iso", "--week=agenda"}).options.isoWeek);
  std::vector<std::string> many;
  for (std::size_t i = 0; i <= kMaxDateFiles; ++i) many.push_back("--dates=f" + std::to_string(i));
  EXPECT_FALSE(ParseCommandLine(many).ok);
  many.pop_back();
  EXPECT_TRUE(ParseCommandLine(many).ok);
}

TEST(ParseCommandLineTest, ReadsTheTimeZoneByName) {
  EXPECT_EQ(ParseCommandLine({"07/12/2026"}).options.timeZone, "Europe/Madrid");
  const struct {
    const char* typed;
    const char* zone;
  } kZones[] = {{"Atlantic/Canary", "Atlantic/Canary"},
                {"America/New_York", "America/New_York"},
                {"Romance Standard Time", "Europe/Paris"},
                {"UTC", "UTC"}};
  for (const auto& z : kZones) {
    const CliParseResult result = ParseCommandLine({"--tz", z.typed});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.options.timeZone, z.zone);
  }
  for (const char* bad : {"Europe/Nowhere", "../../etc/passwd", "/etc/localtime", "CEST"}) {
    const CliParseResult result = ParseCommandLine({"--tz=" + std::string(bad)});
    EXPECT_FALSE(result.ok) << bad;
    EXPECT_NE(result.error.find("zona horaria desconocida: \"" + std::string(bad) + "\""),
              std::string::npos)
        << result.error;
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
    const CliParseResult result = ParseCommandLine(args);
    EXPECT_FALSE(result.ok) << args[0];
    EXPECT_FALSE(result.error.empty());
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
    const CliParseResult result = ParseCommandLine(c.args);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.options.sheets.paper, c.paper) << c.args.back();
    EXPECT_DOUBLE_EQ(result.options.sheets.bindingMarginMm, c.margin) << c.args.back();
    EXPECT_EQ(result.options.sheets.booklet, c.booklet) << c.args.back();
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
      {{"--year=2027", "--format=pdf", "--paper=A4"}, "A4"},
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
    const CliParseResult result = ParseCommandLine(c.args);
    EXPECT_FALSE(result.ok) << c.named;
    EXPECT_NE(result.error.find(c.named), std::string::npos) << result.error;
  }
}

// Every option that takes a value refuses an empty one, in every spelling:
// an empty --to or --year must not read as no option at all.
TEST(ParseCommandLineTest, RefusesAnEmptyValueForEveryOptionThatTakesOne) {
  for (const std::string name : {"--to", "--year", "-o", "--output", "-f", "--format", "--paper",
                                 "--binding-margin", "--dates", "--week", "--tz"}) {
    const std::vector<std::string> spellings[] = {{"01/01/2027", name, ""},
                                                  {"01/01/2027", name + "="}};
    for (const auto& args : spellings) {
      const CliParseResult result = ParseCommandLine(args);
      EXPECT_FALSE(result.ok) << args[1];
      EXPECT_NE(result.error.find(name), std::string::npos) << result.error;
    }
  }
  const CliParseResult attached = ParseCommandLine({"-fpng", "07/12/2026"});
  ASSERT_TRUE(attached.ok) << attached.error;
  EXPECT_EQ(attached.options.format, CliFormat::kPng);
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
    const CliParseResult result = ParseCommandLine(args);
    ASSERT_FALSE(result.ok);
    EXPECT_NE(result.error.find("\\e"), std::string::npos) << result.error;
    for (const char c : result.error) {
      EXPECT_GE(static_cast<unsigned char>(c), 0x20) << result.error;
    }
  }
}

}  // namespace
}  // namespace trevalda
