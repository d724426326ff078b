// trevalda.exe driven from outside, as a user would: the program is started
// in a folder of its own, its dialog is found by its title and worked with
// window messages, and the files it leaves and its exit code are checked.
//
//   program_test.exe --trevalda <path of trevalda.exe> [gtest options]
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/windows/window_helpers.h"

#include <commctrl.h>

namespace trevalda::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kDatePicker = 1001;
constexpr int kDescription = 1002;
constexpr int kQuit = 1003;
constexpr int kCreate = 1004;

constexpr std::uintmax_t kPageFileSize = 2677286;

fs::path& TrevaldaExe() {
  static fs::path path;
  return path;
}

std::vector<std::uint8_t> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::wstring> Listing(const fs::path& folder) {
  std::vector<std::wstring> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().wstring());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    folder_ =
        fs::temp_directory_path() / (L"trevalda-program-" + std::to_wstring(GetCurrentProcessId()) +
                                     L"-" + std::to_wstring(counter++));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }

  void TearDown() override {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        for (HWND box : ReportBoxes(process_.dwProcessId)) {
          PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        if (dialog_ != nullptr) {
          PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        if (WaitForSingleObject(process_.hProcess, kShortTimeout) == WAIT_TIMEOUT) {
          TerminateProcess(process_.hProcess, 1);
          WaitForSingleObject(process_.hProcess, kShortTimeout);
        }
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Starts trevalda.exe in the test's folder and waits for its dialog.
  void Start() {
    ASSERT_FALSE(TrevaldaExe().empty()) << "falta --trevalda <ruta de trevalda.exe>";
    ASSERT_TRUE(fs::exists(TrevaldaExe())) << TrevaldaExe();
    std::wstring commandLine = L"\"" + TrevaldaExe().wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    ASSERT_TRUE(CreateProcessW(TrevaldaExe().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                               0, nullptr, folder_.c_str(), &startup, &process_))
        << "CreateProcessW: " << GetLastError();
    dialog_ = WaitForMainDialog(process_.dwProcessId);
    ASSERT_NE(dialog_, nullptr) << "the dialog \"Trevalda\" did not appear";
  }

  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  // Sets the picker's date through DTM_SETSYSTEMTIME; the SYSTEMTIME lives
  // in the program's own memory, since the system does not copy it.
  void SetPickerDate(WORD day, WORD month, WORD year) {
    SYSTEMTIME date{};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    void* remote = VirtualAllocEx(process_.hProcess, nullptr, sizeof(date),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    ASSERT_TRUE(WriteProcessMemory(process_.hProcess, remote, &date, sizeof(date), nullptr));
    DWORD_PTR accepted = 0;
    ASSERT_TRUE(SendMessageTimeoutW(Control(kDatePicker), DTM_SETSYSTEMTIME, GDT_VALID,
                                    reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                                    kShortTimeout, &accepted));
    VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
    EXPECT_NE(accepted, 0u);
  }

  // "Crear", then the report box it opens: its text, and whether it has an
  // icon. The box is closed again.
  void CreateAndReadReport(std::wstring& text, bool& icon, bool useButton = false) {
    const std::size_t open = ReportBoxes(process_.dwProcessId).size();
    if (useButton) {
      PostMessageW(Control(kCreate), BM_CLICK, 0, 0);
    } else {
      PostButtonCommand(dialog_, kCreate);
    }
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
          const std::vector<HWND> boxes = ReportBoxes(process_.dwProcessId);
          if (boxes.size() <= open) {
            return false;
          }
          box = boxes.front();
          return true;
        },
        kCommandTimeout))
        << "no \"Programador\" box after \"Crear\"";
    ASSERT_TRUE(WaitFor([&] { return !ReportText(box).empty(); }, kShortTimeout));
    text = ReportText(box);
    icon = ReportHasIcon(box);
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "the report box has no owner";
    ASSERT_TRUE(CloseReportBox(box));
  }

  DWORD WaitForExit() {
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, kShortTimeout), WAIT_OBJECT_0);
    DWORD code = 1234;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  fs::path folder_;
  PROCESS_INFORMATION process_{};
  HWND dialog_ = nullptr;
};

TEST_F(ProgramTest, DialogHasItsTitleNoSystemMenuAndTheFourControls) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(TitleOf(dialog_), L"Trevalda");
  const auto style = static_cast<DWORD>(GetWindowLongW(dialog_, GWL_STYLE));
  EXPECT_EQ(style, 0x94C200D4u);
  EXPECT_EQ(style & WS_SYSMENU, 0u) << "no system menu, no close button";
  EXPECT_NE(GetWindowLongW(dialog_, GWL_EXSTYLE) & WS_EX_CONTROLPARENT, 0);
  EXPECT_EQ(GetParent(dialog_), nullptr);
  EXPECT_EQ(GetWindow(dialog_, GW_OWNER), nullptr);

  struct Expected {
    int id;
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
  };
  const Expected controls[] = {
      {kDatePicker, L"SysDateTimePick32", 0x50010000, WS_EX_CLIENTEDGE},
      {kDescription, L"Static", 0x50800000, 0},
      {kQuit, L"Button", 0x50010000, 0},
      {kCreate, L"Button", 0x50010000, 0},
  };
  std::vector<int> order;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    order.push_back(GetDlgCtrlID(child));
  }
  EXPECT_EQ(order, (std::vector<int>{kDatePicker, kDescription, kQuit, kCreate}));
  for (const Expected& c : controls) {
    SCOPED_TRACE(c.id);
    HWND control = Control(c.id);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(SameText(ClassOf(control), c.windowClass)) << ClassOf(control).c_str();
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), c.style);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)) &
                  ~static_cast<DWORD>(WS_EX_NOPARENTNOTIFY),
              c.exStyle);
  }
  EXPECT_EQ(TextOf(Control(kDescription)),
            L"Este programa te crea una hoja del dia que elijas de un tipico anuario en formato "
            L"DIN A4, mas conocido como folio combencional. Para que lo puedas imprimir en papel "
            L"estandar.");
  EXPECT_EQ(TextOf(Control(kQuit)), L"Salir");
  EXPECT_EQ(TextOf(Control(kCreate)), L"Crear");
  // The picker shows a date as dd/MM/yyyy, whatever the locale.
  const std::wstring shown = TextOf(Control(kDatePicker));
  ASSERT_EQ(shown.size(), 10u) << shown.c_str();
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (i == 2 || i == 5) {
      EXPECT_EQ(shown[i], L'/');
    } else {
      EXPECT_TRUE(std::iswdigit(shown[i])) << shown.c_str();
    }
  }
}

TEST_F(ProgramTest, TabMovesThroughPickerSalirAndCrearOnly) {
  ASSERT_NO_FATAL_FAILURE(Start());
  HWND picker = Control(kDatePicker);
  HWND quit = Control(kQuit);
  HWND create = Control(kCreate);
  EXPECT_EQ(GetNextDlgTabItem(dialog_, picker, FALSE), quit);
  EXPECT_EQ(GetNextDlgTabItem(dialog_, quit, FALSE), create);
  EXPECT_EQ(GetNextDlgTabItem(dialog_, create, FALSE), picker);
  EXPECT_EQ(GetNextDlgTabItem(dialog_, picker, TRUE), create);
  EXPECT_EQ(GetWindowLongW(Control(kDescription), GWL_STYLE) & WS_TABSTOP, 0);
}

TEST_F(ProgramTest, CrearSavesThePageInTheCurrentFolderAndSaysSo) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(SetPickerDate(7, 12, 2026));
  EXPECT_EQ(TextOf(Control(kDatePicker)), L"07/12/2026");
  std::wstring text;
  bool icon = true;
  ASSERT_NO_FATAL_FAILURE(CreateAndReadReport(text, icon));
  EXPECT_EQ(text, L"Grabado 07-12-2026");
  EXPECT_FALSE(icon) << "MB_OK: no icon";

  EXPECT_EQ(Listing(folder_), std::vector<std::wstring>{L"07-12-2026.bmp"});
  const fs::path page = folder_ / L"07-12-2026.bmp";
  ASSERT_EQ(fs::file_size(page), kPageFileSize);
  const std::vector<std::uint8_t> bytes = ReadAll(page);
  ASSERT_EQ(bytes.size(), kPageFileSize);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(bytes[18] | bytes[19] << 8, 794);
  EXPECT_EQ(bytes[22] | bytes[23] << 8, 1123);
  EXPECT_EQ(bytes[28], 24);
  // Dark red rules and black ink are on the page.
  const std::uint8_t darkRed[] = {0x00, 0x00, 0x8B};
  const std::uint8_t black[] = {0x00, 0x00, 0x00};
  EXPECT_NE(std::search(bytes.begin() + 54, bytes.end(), std::begin(darkRed), std::end(darkRed)),
            bytes.end());
  EXPECT_NE(std::search(bytes.begin() + 54, bytes.end(), std::begin(black), std::end(black)),
            bytes.end());
}

TEST_F(ProgramTest, CrearTwiceReplacesTheFileAndReportsTwice) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(SetPickerDate(7, 12, 2026));
  std::wstring text;
  bool icon = false;
  ASSERT_NO_FATAL_FAILURE(CreateAndReadReport(text, icon));
  EXPECT_EQ(text, L"Grabado 07-12-2026");
  const fs::path page = folder_ / L"07-12-2026.bmp";
  { std::ofstream(page, std::ios::binary | std::ios::trunc) << "old"; }
  ASSERT_EQ(fs::file_size(page), 3u);
  ASSERT_NO_FATAL_FAILURE(CreateAndReadReport(text, icon, /*useButton=*/true));
  EXPECT_EQ(text, L"Grabado 07-12-2026");
  EXPECT_EQ(fs::file_size(page), kPageFileSize);
  EXPECT_EQ(Listing(folder_), std::vector<std::wstring>{L"07-12-2026.bmp"});
}

TEST_F(ProgramTest, SecondCrearWhileTheReportIsOpenGivesASecondReport) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(SetPickerDate(7, 12, 2026));
  PostButtonCommand(dialog_, kCreate);
  ASSERT_TRUE(
      WaitFor([&] { return ReportBoxes(process_.dwProcessId).size() == 1; }, kCommandTimeout));
  PostButtonCommand(dialog_, kCreate);
  ASSERT_TRUE(
      WaitFor([&] { return ReportBoxes(process_.dwProcessId).size() == 2; }, kCommandTimeout))
      << "the dialog stays usable while its report is open";
  for (HWND box : ReportBoxes(process_.dwProcessId)) {
    EXPECT_EQ(ReportText(box), L"Grabado 07-12-2026");
    EXPECT_TRUE(CloseReportBox(box));
  }
  EXPECT_EQ(fs::file_size(folder_ / L"07-12-2026.bmp"), kPageFileSize);
}

TEST_F(ProgramTest, OtherNotificationCodesAndPickerCommandsDoNothing) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(SetPickerDate(7, 12, 2026));
  PostButtonCommand(dialog_, kCreate, BN_SETFOCUS);
  PostButtonCommand(dialog_, kCreate, 5);
  PostButtonCommand(dialog_, kQuit, BN_KILLFOCUS);
  PostButtonCommand(dialog_, kQuit, 5);
  PostButtonCommand(dialog_, kDatePicker, 0);
  // Posted messages are handled in order: once this accelerator-style
  // command has produced its one report, the ones before it were handled
  // and did nothing.
  PostButtonCommand(dialog_, kCreate, 1);
  HWND box = WaitForReportBox(process_.dwProcessId);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ReportText(box), L"Grabado 07-12-2026");
  EXPECT_FALSE(WaitFor([&] { return ReportBoxes(process_.dwProcessId).size() > 1; }, kQuietPeriod));
  EXPECT_TRUE(CloseReportBox(box));
  EXPECT_EQ(WaitForSingleObject(process_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(IsWindowVisible(dialog_));
}

TEST_F(ProgramTest, EscapeAndEnterDoNotCloseTheDialog) {
  ASSERT_NO_FATAL_FAILURE(Start());
  HWND picker = Control(kDatePicker);
  PostKey(picker, VK_ESCAPE);
  PostKey(picker, VK_RETURN);
  PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  PostMessageW(dialog_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(WaitFor([&] { return !IsWindow(dialog_); }, kQuietPeriod));
  EXPECT_EQ(WaitForSingleObject(process_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EXPECT_TRUE(ReportBoxes(process_.dwProcessId).empty());
  EXPECT_TRUE(Listing(folder_).empty());
}

TEST_F(ProgramTest, UnwritableTargetGivesAnErrorReportAndNoGrabado) {
  // A folder holds the page's name: the file cannot be put there.
  fs::create_directory(folder_ / L"07-12-2026.bmp");
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(SetPickerDate(7, 12, 2026));
  std::wstring text;
  bool icon = false;
  ASSERT_NO_FATAL_FAILURE(CreateAndReadReport(text, icon));
  EXPECT_EQ(text.find(L"Grabado"), std::wstring::npos) << text.c_str();
  EXPECT_EQ(text.rfind(L"No se pudo grabar", 0), 0u) << text.c_str();
  EXPECT_NE(text.find(L"07-12-2026.bmp"), std::wstring::npos) << text.c_str();
  EXPECT_TRUE(icon) << "the failure carries the error icon";
  EXPECT_TRUE(fs::is_directory(folder_ / L"07-12-2026.bmp"));
  EXPECT_EQ(Listing(folder_), std::vector<std::wstring>{L"07-12-2026.bmp"})
      << "no temporary file is left behind";
}

TEST_F(ProgramTest, SalirEndsTheProgramWithExitCodeZero) {
  ASSERT_NO_FATAL_FAILURE(Start());
  PostButtonCommand(dialog_, kQuit);
  EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(ProgramTest, CloseCommandEndsTheProgramWithExitCodeZero) {
  ASSERT_NO_FATAL_FAILURE(Start());
  PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(WaitForExit(), 0u);
}

}  // namespace
}  // namespace trevalda::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  trevalda::testing::PrepareUiTests();
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--trevalda") {
      trevalda::testing::TrevaldaExe() = std::filesystem::path(argv[i + 1]);
    }
  }
  return RUN_ALL_TESTS();
}
