#include "app/yearbook.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "agenda/agenda.h"
#include "canvas/bitmap_file.h"
#include "test_support.h"
#include "text/cp1252.h"

namespace trevalda {
namespace {

namespace fs = std::filesystem;

fs::path FreshFolder(const std::string& name) { return test::FreshFolder("yearbook-" + name); }

std::vector<std::string> FilesIn(const fs::path& folder) { return test::Listing(folder); }

// What a command prints on stdout.
std::string Capture(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) out.append(buffer.data(), n);
  return out;
}

TEST(DateRangeTest, LengthsAndNames) {
  struct Case {
    DateRange range;
    std::int32_t length;
    const char* pdfName;
  };
  const Case cases[] = {
      {{{28, 2, 2024}, {1, 3, 2024}}, 3, "28-02-2024_01-03-2024.pdf"},
      {{{28, 2, 2026}, {1, 3, 2026}}, 2, "28-02-2026_01-03-2026.pdf"},
      {{{31, 12, 2026}, {1, 1, 2027}}, 2, "31-12-2026_01-01-2027.pdf"},
      {YearRange(2024), 366, "agenda-2024.pdf"},
      {YearRange(2027), 365, "agenda-2027.pdf"},
      {{{7, 12, 2026}, {7, 12, 2026}}, 1, "07-12-2026.pdf"},
      {{{8, 12, 2026}, {7, 12, 2026}}, 0, "08-12-2026_07-12-2026.pdf"},
      {{{1, 1, 2000}, {31, 12, 2009}}, kMaxRangeDays, "01-01-2000_31-12-2009.pdf"},
      {{{31, 2, 2026}, {1, 3, 2026}}, 0, "31-02-2026_01-03-2026.pdf"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RangeLength(c.range), c.length) << c.pdfName;
    EXPECT_EQ(DefaultPdfName(c.range), c.pdfName);
  }
}

TEST(PageFilesTest, RangeEdgesWriteOneFilePerDay) {
  struct Case {
    DateRange range;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {{{28, 2, 2024}, {1, 3, 2024}}, {"01-03-2024.bmp", "28-02-2024.bmp", "29-02-2024.bmp"}},
      {{{28, 2, 2026}, {1, 3, 2026}}, {"01-03-2026.bmp", "28-02-2026.bmp"}},
      {{{31, 12, 2026}, {1, 1, 2027}}, {"01-01-2027.bmp", "31-12-2026.bmp"}},
  };
  int n = 0;
  for (const auto& c : cases) {
    const fs::path folder = FreshFolder("edges-" + std::to_string(n++));
    std::vector<std::int32_t> seen;
    const RangeOutcome outcome =
        CreatePageFiles(c.range, folder, PageFormat::kBmp, [&](std::int32_t done, std::int32_t) {
          seen.push_back(done);
          return true;
        });
    EXPECT_EQ(outcome.status, RangeStatus::kDone) << Cp1252ToUtf8(outcome.message);
    EXPECT_EQ(FilesIn(folder), c.files);
    EXPECT_EQ(outcome.pagesDone, static_cast<std::int32_t>(c.files.size()));
    EXPECT_EQ(seen.size(), c.files.size());
    for (const auto& name : c.files) EXPECT_EQ(fs::file_size(folder / name), 2677286u) << name;
  }
}

TEST(PageFilesTest, StoppingKeepsTheFinishedPagesOnly) {
  const fs::path folder = FreshFolder("stop");
  const RangeOutcome outcome =
      CreatePageFiles(YearRange(2026), folder, PageFormat::kBmp,
                      [](std::int32_t done, std::int32_t) { return done < 3; });
  EXPECT_EQ(outcome.status, RangeStatus::kStopped);
  EXPECT_EQ(outcome.pagesDone, 3);
  EXPECT_EQ(FilesIn(folder),
            (std::vector<std::string>{"01-01-2026.bmp", "02-01-2026.bmp", "03-01-2026.bmp"}));
}

TEST(PageFilesTest, AFailureNamesTheDateAndKeepsWhatWasDone) {
  const fs::path folder = FreshFolder("fail");
  fs::create_directory(folder / "02-01-2026.bmp");  // a folder where the page should go
  const RangeOutcome outcome =
      CreatePageFiles({{1, 1, 2026}, {5, 1, 2026}}, folder, PageFormat::kBmp);
  EXPECT_EQ(outcome.status, RangeStatus::kFailed);
  EXPECT_EQ(outcome.pagesDone, 1);
  EXPECT_NE(outcome.message.find("02/01/2026"), std::string::npos) << outcome.message;
  EXPECT_TRUE(fs::is_directory(folder / "02-01-2026.bmp"));
  EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"01-01-2026.bmp", "02-01-2026.bmp"}));
}

// The PNG page decodes to exactly the pixels of the BMP page.
TEST(PageFilesTest, PngHoldsTheSamePixelsAsTheBmp) {
  const fs::path folder = FreshFolder("png");
  const DateRange sunday{{6, 12, 2026}, {6, 12, 2026}};
  ASSERT_EQ(CreatePageFiles(sunday, folder, PageFormat::kBmp).status, RangeStatus::kDone);
  ASSERT_EQ(CreatePageFiles(sunday, folder, PageFormat::kPng).status, RangeStatus::kDone);

  std::ifstream bmpFile(folder / "06-12-2026.bmp", std::ios::binary);
  const std::vector<std::uint8_t> bmp((std::istreambuf_iterator<char>(bmpFile)), {});
  ASSERT_EQ(bmp.size(), 2677286u);

  const std::string pngPath = (folder / "06-12-2026.png").string();
  std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> png(
      cairo_image_surface_create_from_png(pngPath.c_str()), cairo_surface_destroy);
  ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_image_surface_get_width(png.get()), 794);
  ASSERT_EQ(cairo_image_surface_get_height(png.get()), 1123);
  const unsigned char* data = cairo_image_surface_get_data(png.get());
  const int stride = cairo_image_surface_get_stride(png.get());
  int differences = 0;
  for (int y = 0; y < 1123; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    const std::uint8_t* bmpRow = bmp.data() + 54 + static_cast<std::size_t>(1122 - y) * 2384;
    for (int x = 0; x < 794; ++x) {
      const std::uint32_t p = row[x];
      differences += (p & 0xFF) != bmpRow[3 * x] || ((p >> 8) & 0xFF) != bmpRow[3 * x + 1] ||
                     ((p >> 16) & 0xFF) != bmpRow[3 * x + 2];
    }
  }
  EXPECT_EQ(differences, 0);
}

// A range draws its pages on several canvases at once; each file is the
// very file the single-page command makes for that day, with the agenda's
// entries too (Holy Week 2024 brings a holiday and the ISO week differs).
TEST(PageFilesTest, RangePagesAreTheSinglePages) {
  Agenda holidays;
  holidays.AddNationalHolidays();
  const struct {
    DateRange range;
    AgendaOptions agenda;
  } cases[] = {
      {{{28, 2, 2024}, {2, 3, 2024}}, {}},
      {{{27, 3, 2024}, {1, 4, 2024}}, {&holidays, WeekRule::kIso, PageStyle::kClassic, {}}},
  };
  for (const auto& [range, agenda] : cases)
    for (const PageFormat format : {PageFormat::kBmp, PageFormat::kPng}) {
      const char* extension = format == PageFormat::kPng ? ".png" : ".bmp";
      const std::string name = DateStem(range.first) + extension;
      const fs::path together = FreshFolder("together" + name);
      const fs::path alone = FreshFolder("alone" + name);
      ASSERT_EQ(CreatePageFiles(range, together, format, {}, agenda).status, RangeStatus::kDone);
      for (std::int32_t i = 0; i < RangeLength(range); ++i) {
        const PageDate date = DateFromSerial(DaySerial(range.first) + i);
        const std::string stem = DateStem(date);
        ASSERT_EQ(WriteDayPage(date, alone, format, agenda).status, PageStatus::kSaved) << stem;
        EXPECT_EQ(test::ReadAll(together / (stem + extension)),
                  test::ReadAll(alone / (stem + extension)))
            << stem << extension;
      }
    }
}

TEST(YearbookPdfTest, AYearIsAnIndexAndOneA4SheetPerDayWithTheTextsOfEach) {
  const fs::path folder = FreshFolder("pdf");
  const fs::path file = folder / "agenda-2024.pdf";
  std::int32_t calls = 0;
  const RangeOutcome outcome =
      CreateYearbookPdf(YearRange(2024), file, {}, [&](std::int32_t, std::int32_t total) {
        ++calls;
        return total == 366;
      });
  ASSERT_EQ(outcome.status, RangeStatus::kDone) << Cp1252ToUtf8(outcome.message);
  EXPECT_EQ(calls, 366);
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"agenda-2024.pdf"});

  EXPECT_EQ(std::system(("qpdf --check '" + file.string() + "' >/dev/null").c_str()), 0);
  const std::string info = Capture("pdfinfo '" + file.string() + "'");
  EXPECT_NE(info.find("Pages:           367"), std::string::npos) << info;
  EXPECT_NE(info.find("Title:           Agenda 2024"), std::string::npos) << info;
  EXPECT_NE(info.find("595.276 x 841.89 pts (A4)"), std::string::npos) << info;

  struct Sheet {
    int number;
    std::vector<std::string> texts;
  };
  const Sheet sheets[] = {
      {1, {"Agenda 2024", "Enero 2024", "Febrero 2024", "Diciembre 2024", "29", "31"}},
      {2, {"Enero", "Lunes", "01", "Santa Maria", "1/365", "Semana 1", "Año 2024"}},
      {61, {"Febrero", "Jueves", "29", "San Augusto Chapdelaine", "60/306", "Semana 9"}},
      {229, {"Agosto", "Jueves", "15", "Asunción de la Virgen María", "228/138", "Semana 33"}},
      {274, {"Septiembre", "Santos Miguel,Gabriel y Rafael Arcángeles", "273/93"}},
      {367, {"Diciembre", "Martes", "31", "San Silvestre", "366/0", "Semana 53", "Año 2024"}},
  };
  for (const auto& sheet : sheets) {
    const std::string n = std::to_string(sheet.number);
    const std::string text =
        Capture("pdftotext -f " + n + " -l " + n + " '" + file.string() + "' -");
    for (const auto& expected : sheet.texts) {
      EXPECT_NE(text.find(expected), std::string::npos) << "sheet " << n << ": " << expected;
    }
  }
  const std::string fonts = Capture("pdffonts '" + file.string() + "'");
  std::istringstream lines(fonts);
  int fontCount = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("TrueType") == std::string::npos) continue;
    ++fontCount;
    EXPECT_NE(line.find("WinAnsi          yes yes"), std::string::npos) << line;  // embedded
  }
  EXPECT_EQ(fontCount, 1) << fonts;  // one face, its sizes share one font
}

TEST(YearbookPdfTest, StoppingOrFailingLeavesNoDocument) {
  const fs::path folder = FreshFolder("pdf-stop");
  const RangeOutcome stopped =
      CreateYearbookPdf(YearRange(2026), folder / "a.pdf", {},
                        [](std::int32_t done, std::int32_t) { return done < 10; });
  EXPECT_EQ(stopped.status, RangeStatus::kStopped);
  const RangeOutcome failed =
      CreateYearbookPdf({{1, 1, 2026}, {3, 1, 2026}}, folder / "missing" / "b.pdf");
  EXPECT_EQ(failed.status, RangeStatus::kFailed);
  EXPECT_NE(failed.message.find("b.pdf"), std::string::npos);
  EXPECT_TRUE(FilesIn(folder).empty());
}

}  // namespace
}  // namespace trevalda
