// The job both front ends run: what it writes, what it says, and how it
// stops when asked.
#include "app/agenda_job.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace trevalda {
namespace {

class AgendaJobTest : public test::FolderTest {
 protected:
  AgendaJobTest() : FolderTest("agenda-job") {}

  CliOptions Options(std::vector<std::string> args) {
    const Result<CliOptions> parsed = ParseCommandLine(args);
    EXPECT_TRUE(parsed) << parsed.message();
    return parsed ? *parsed : CliOptions{};
  }

  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::filesystem::path file = dir() / "in" / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
  }

  std::string Out() {
    std::filesystem::create_directories(dir() / "out");
    return (dir() / "out").string();
  }

  std::vector<std::string> Written() { return test::Listing(dir() / "out"); }
};

TEST_F(AgendaJobTest, PagesAreReportedAsTheCommandLineReportsThem) {
  const JobReport report =
      RunAgendaJob(Options({"28/02/2028", "--to", "01/03/2028", "--format", "png", "-o", Out()}));
  EXPECT_EQ(report.status, JobStatus::kDone);
  EXPECT_EQ(report.message, "Grabadas 3 hojas");
  EXPECT_EQ(report.output, dir() / "out");
  EXPECT_EQ(Written(),
            (std::vector<std::string>{"01-03-2028.png", "28-02-2028.png", "29-02-2028.png"}));
  const JobReport single = RunAgendaJob(Options({"07/12/2026", "-o", Out()}));
  EXPECT_EQ(single.message, "Grabado 07-12-2026");
}

TEST_F(AgendaJobTest, ABrokenDatesFileRefusesEverythingNamingItsLine) {
  const std::string good = WriteFile("bien.txt", "01/05 Fiesta\n");
  const std::string bad = WriteFile("rotas.txt", "# mis fechas\n07/12 Santo\n32/13 Nada\n");
  const JobReport report = RunAgendaJob(
      Options({"--year", "2027", "--format", "pdf", "-o", Out(), "--dates", good, "--dates", bad}));
  EXPECT_EQ(report.status, JobStatus::kRefused);
  EXPECT_EQ(report.message.rfind(bad + ":3: ", 0), 0u) << report.message;
  EXPECT_TRUE(Written().empty());
}

TEST_F(AgendaJobTest, RangeProblemsAreRefusals) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--year", "0000"}, {"31/02/2027"}, {"02/01/2027", "--to", "01/01/2027"}}) {
    const JobReport report = RunAgendaJob(Options(args));
    EXPECT_EQ(report.status, JobStatus::kRefused) << args.front();
    EXPECT_FALSE(report.message.empty());
  }
}

TEST_F(AgendaJobTest, WarningsGoToTheHook) {
  const std::string file = WriteFile("avisos.txt", "01/05 Fiesta \xF0\x9F\x8E\x89\n");
  std::vector<std::string> warnings;
  JobHooks hooks;
  hooks.warn = [&](const std::string& warning) { warnings.push_back(warning); };
  const JobReport report =
      RunAgendaJob(Options({"01/05/2027", "-o", Out(), "--dates", file}), hooks);
  EXPECT_EQ(report.status, JobStatus::kDone);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].rfind("aviso: " + file + ": ", 0), 0u) << warnings[0];
}

// A stop keeps the finished pages and leaves nothing half-written.
TEST_F(AgendaJobTest, AStopKeepsFinishedPagesOnly) {
  JobHooks hooks;
  std::int32_t seenTotal = 0;
  hooks.progress = [&](std::int32_t done, std::int32_t total) {
    seenTotal = total;
    return done < 2;
  };
  const JobReport report = RunAgendaJob(
      Options({"01/01/2027", "--to", "10/01/2027", "--format", "png", "-o", Out()}), hooks);
  EXPECT_EQ(report.status, JobStatus::kStopped);
  EXPECT_EQ(seenTotal, 10);
  EXPECT_EQ(report.pagesDone, 2);
  EXPECT_EQ(report.message, "interrumpido tras 2 hojas; no queda ningún archivo a medias");
  EXPECT_EQ(Written(), (std::vector<std::string>{"01-01-2027.png", "02-01-2027.png"}));

  const JobReport pdf = RunAgendaJob(
      Options({"01/01/2027", "--to", "10/01/2027", "--format", "pdf", "-o", Out()}), hooks);
  EXPECT_EQ(pdf.status, JobStatus::kStopped);
  EXPECT_EQ(pdf.message, "interrumpido; el documento no se ha grabado");
  EXPECT_EQ(Written(), (std::vector<std::string>{"01-01-2027.png", "02-01-2027.png"}));
}

// The notice counts what it names: pages of a document, the sheets that
// print of a booklet, in the singular for one.
TEST(DocumentCountTextTest, PagesOrPrintedSheetsSingularForOne) {
  EXPECT_EQ(DocumentCountText(1, false), "1 página");
  EXPECT_EQ(DocumentCountText(366, false), "366 páginas");
  EXPECT_EQ(DocumentCountText(2, true), "1 hoja");
  EXPECT_EQ(DocumentCountText(184, true), "92 hojas");
}

TEST_F(AgendaJobTest, ADocumentIsNamedInTheReport) {
  const JobReport report =
      RunAgendaJob(Options({"01/01/2027", "--to", "03/01/2027", "--format", "pdf", "-o", Out()}));
  EXPECT_EQ(report.status, JobStatus::kDone);
  EXPECT_EQ(report.output, dir() / "out" / "01-01-2027_03-01-2027.pdf");
  // The index and three days: what the document holds, counted as pages.
  EXPECT_EQ(report.message, "Grabado " + report.output.string() + " (4 páginas)");
}

}  // namespace
}  // namespace trevalda
