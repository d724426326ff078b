// trevalda-agenda.exe driven from outside, as a user would: agenda.ini is
// prepared, the program started, Enter pressed or a button clicked with
// window messages, and its boxes read. Where the command line must make
// the same thing, trevalda-cli.exe is run here with the same choices; the
// files are compared afterwards by tests/windows/agenda_dialog_test.sh
// (pdftotext and ImageMagick live on the Linux side).
//
//   agenda_program_test.exe --agenda <trevalda-agenda.exe> --cli <trevalda-cli.exe>
//                           --work <folder> [gtest options]
//
// The work folder holds the dates files (fechas.txt, calendario.ics,
// rotas.txt) the script wrote; each test writes into a subfolder of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/resources/agenda_ids.h"
#include "tests/windows/window_helpers.h"

#include <commctrl.h>
#include <shlobj.h>

namespace trevalda::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::wstring_view kTitle = L"Trevalda - Agenda";
// A year of pages under Wine, twice over: generous, and still bounded.
constexpr DWORD kYearTimeout = 240000;

struct Paths {
  fs::path agenda;
  fs::path cli;
  fs::path work;
};

Paths& Given() {
  static Paths paths;
  return paths;
}

fs::path SettingsFile() {
  PWSTR path = nullptr;
  fs::path file;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path))) {
    file = fs::path(path) / L"Trevalda" / L"agenda.ini";
  }
  CoTaskMemFree(path);
  return file;
}

std::string Utf8(const std::wstring& wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(size, 1)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), size, nullptr, nullptr);
  text.pop_back();
  return text;
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::wstring> Names(const fs::path& folder) {
  std::vector<std::wstring> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) {
    names.push_back(entry.path().filename().wstring());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Starts a program and waits for it, standard error into `errors`; returns
// its exit code (1234 when it could not run).
DWORD RunAndWait(const fs::path& program, const std::vector<std::wstring>& args,
                 const fs::path& errors) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  for (const std::wstring& arg : args) commandLine += L" \"" + arg + L"\"";
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE errorFile = CreateFileW(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = errorFile;
  startup.hStdError = errorFile;
  PROCESS_INFORMATION process{};
  DWORD code = 1234;
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, kYearTimeout);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(errorFile);
  return code;
}

class AgendaProgramTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      for (HWND box : Boxes()) PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      if (dialog_ != nullptr) PostMessageW(dialog_, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(process_.hProcess, kShortTimeout) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, kShortTimeout);
      }
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  // A folder of the work folder, empty.
  static fs::path Folder(const wchar_t* name) {
    const fs::path folder = Given().work / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
  }

  static void WriteSettings(const std::string& text) {
    const fs::path file = SettingsFile();
    ASSERT_FALSE(file.empty());
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
  }

  static std::string DatesLines() {
    return "fechas1=" + Utf8((Given().work / L"fechas.txt").wstring()) + "\n" +
           "fechas2=" + Utf8((Given().work / L"calendario.ics").wstring()) + "\n";
  }

  void Start() {
    ASSERT_TRUE(fs::exists(Given().agenda)) << "falta --agenda";
    std::wstring commandLine = L"\"" + Given().agenda.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    ASSERT_TRUE(CreateProcessW(Given().agenda.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                               0, nullptr, Given().work.c_str(), &startup, &process_));
    ASSERT_TRUE(WaitFor(
        [&] {
          for (HWND window : TopWindows(process_.dwProcessId, L"#32770", kTitle)) {
            if (GetDlgItem(window, IDC_AGENDA_CREATE) != nullptr) dialog_ = window;
          }
          return dialog_ != nullptr;
        },
        kStartTimeout))
        << "the dialog did not appear";
  }

  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  // The boxes the dialog opened: its own windows but the dialog.
  std::vector<HWND> Boxes() const {
    std::vector<HWND> boxes = TopWindows(process_.dwProcessId, L"#32770", kTitle);
    std::erase(boxes, dialog_);
    return boxes;
  }

  HWND WaitForBox(DWORD timeout) const {
    HWND box = nullptr;
    WaitFor(
        [&] {
          const std::vector<HWND> boxes = Boxes();
          box = boxes.empty() ? nullptr : boxes.front();
          return box != nullptr;
        },
        timeout);
    return box;
  }

  // Enter, where the keyboard focus is: the default button, "Crear".
  void PressEnter() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = GetWindowThreadProcessId(dialog_, nullptr);
    HWND focus =
        GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr ? info.hwndFocus : dialog_;
    PostKey(focus, VK_RETURN);
  }

  // The text of a box: the done box's label, or a message box's text.
  static std::wstring BoxText(HWND box) {
    if (HWND label = GetDlgItem(box, IDC_AGENDA_DONE_TEXT); label != nullptr) return TextOf(label);
    return ReportText(box);
  }

  static bool CloseBox(HWND box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitFor([&] { return !IsWindow(box); }, kShortTimeout);
  }

  // Closes the dialog; the program ends with 0.
  void CloseProgram() {
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, kShortTimeout), WAIT_OBJECT_0);
    DWORD code = 1234;
    GetExitCodeProcess(process_.hProcess, &code);
    EXPECT_EQ(code, 0u);
  }

  // Enter on the prepared choices, then the done box: its text, closed.
  std::wstring CreateAndReadDone(DWORD timeout) {
    PressEnter();
    HWND box = WaitForBox(timeout);
    if (box == nullptr) return L"(no box)";
    EXPECT_NE(GetDlgItem(box, IDC_AGENDA_OPEN), nullptr) << "the done box has \"Abrir\"";
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog_);
    std::wstring text;
    WaitFor([&] { return !(text = BoxText(box)).empty(); }, kShortTimeout);
    EXPECT_TRUE(CloseBox(box));
    return text;
  }

  PROCESS_INFORMATION process_{};
  HWND dialog_ = nullptr;
};

// The manifest asks for common controls 6 and per-monitor DPI awareness.
TEST(AgendaManifestTest, AsksForCommonControlsAndPerMonitorDpi) {
  HMODULE program = LoadLibraryExW(Given().agenda.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
  const std::string manifest(bytes, SizeofResource(program, found));
  FreeLibrary(program);
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("<dpiAwareness"), std::string::npos);
  EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
}

// Chooses item `index` of a list as the user would: the selection, then
// the notification the dialog acts on.
void Choose(HWND dialog, int id, int index) {
  HWND list = GetDlgItem(dialog, id);
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

TEST_F(AgendaProgramTest, ControlsComeInTabOrderAndFollowTheCommandLinesRule) {
  WriteSettings("formato=pdf\npapel=a4\nlibrito=0\nlugar=40.42,-3.70\n");
  ASSERT_NO_FATAL_FAILURE(Start());
  std::vector<int> order;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0) order.push_back(GetDlgCtrlID(child));
  }
  EXPECT_EQ(order, (std::vector<int>{IDC_AGENDA_FROM,     IDC_AGENDA_TO,      IDC_AGENDA_YEAR,
                                     IDC_AGENDA_FORMAT,   IDC_AGENDA_PAPER,   IDC_AGENDA_BOOKLET,
                                     IDC_AGENDA_MARGIN,   IDC_AGENDA_PLANNER, IDC_AGENDA_NOTES,
                                     IDC_AGENDA_STYLE,    IDC_AGENDA_HOURS,   IDC_AGENDA_PLACE,
                                     IDC_AGENDA_HOLIDAYS, IDC_AGENDA_ZONE,    IDC_AGENDA_DATES,
                                     IDC_AGENDA_ADD,      IDC_AGENDA_REMOVE,  IDC_AGENDA_FOLDER,
                                     IDC_AGENDA_BROWSE,   IDC_AGENDA_STOP,    IDC_AGENDA_CREATE}));
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_CREATE)), L"C&rear");
  EXPECT_NE(GetWindowLongW(Control(IDC_AGENDA_CREATE), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);
  // Every mnemonic leads to one control.
  std::wstring mnemonics;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring text = TextOf(child);
    if (const std::size_t amp = text.find(L'&');
        amp != std::wstring::npos && amp + 1 < text.size()) {
      const wchar_t key = static_cast<wchar_t>(towupper(text[amp + 1]));
      EXPECT_EQ(mnemonics.find(key), std::wstring::npos) << "twice: " << Utf8(text);
      mnemonics.push_back(key);
    }
  }

  const auto enabled = [&](int id) { return IsWindowEnabled(Control(id)) != FALSE; };
  EXPECT_TRUE(enabled(IDC_AGENDA_PAPER) && enabled(IDC_AGENDA_MARGIN) &&
              enabled(IDC_AGENDA_BOOKLET));
  // The classic page has neither hours nor place; planner and notes are a
  // PDF's.
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_STYLE)), L"Clásico");
  EXPECT_FALSE(enabled(IDC_AGENDA_HOURS) || enabled(IDC_AGENDA_PLACE));
  EXPECT_TRUE(enabled(IDC_AGENDA_PLANNER) && enabled(IDC_AGENDA_NOTES) &&
              enabled(IDC_AGENDA_NOTES_SPIN));
  Choose(dialog_, IDC_AGENDA_STYLE, 1);  // Moderno
  EXPECT_TRUE(enabled(IDC_AGENDA_HOURS) && enabled(IDC_AGENDA_PLACE));
  // A place given by its coordinates joins the list of places.
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_PLACE)), L"40.42,-3.70");
  Choose(dialog_, IDC_AGENDA_PAPER, 1);  // A5: the booklet is printed on A4 only
  EXPECT_TRUE(enabled(IDC_AGENDA_PAPER) && enabled(IDC_AGENDA_MARGIN));
  EXPECT_FALSE(enabled(IDC_AGENDA_BOOKLET));
  Choose(dialog_, IDC_AGENDA_FORMAT, 1);  // PNG: no paper, margin, booklet, planner or notes
  EXPECT_FALSE(enabled(IDC_AGENDA_PAPER) || enabled(IDC_AGENDA_MARGIN) ||
               enabled(IDC_AGENDA_BOOKLET) || enabled(IDC_AGENDA_PLANNER) ||
               enabled(IDC_AGENDA_NOTES) || enabled(IDC_AGENDA_NOTES_SPIN));
  EXPECT_TRUE(enabled(IDC_AGENDA_HOURS) && enabled(IDC_AGENDA_PLACE));

  // The year shortcut sets the whole year.
  Choose(dialog_, IDC_AGENDA_YEAR, 0);
  const std::wstring year = TextOf(Control(IDC_AGENDA_YEAR));
  ASSERT_EQ(year.size(), 4u);
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_FROM)), L"01/01/" + year);
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_TO)), L"31/12/" + year);
  ASSERT_NO_FATAL_FAILURE(CloseProgram());
}

TEST_F(AgendaProgramTest, AYearAsPdfFromThePreparedChoices) {
  const fs::path dialogOut = Folder(L"pdf-dialog");
  const fs::path cliOut = Folder(L"pdf-cli");
  WriteSettings("desde=01/01/2027\nhasta=31/12/2027\nformato=pdf\nfestivos=1\n" + DatesLines() +
                "carpeta=" + Utf8(dialogOut.wstring()) + "\n");
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_YEAR)), L"2027");
  const std::wstring text = CreateAndReadDone(kYearTimeout);
  EXPECT_EQ(text, L"Grabado " + (dialogOut / L"agenda-2027.pdf").wstring() + L" (366 páginas)");
  ASSERT_NO_FATAL_FAILURE(CloseProgram());
  EXPECT_EQ(Names(dialogOut), std::vector<std::wstring>{L"agenda-2027.pdf"});

  EXPECT_EQ(RunAndWait(Given().cli,
                       {L"--year", L"2027", L"--format", L"pdf", L"--holidays", L"--dates",
                        (Given().work / L"fechas.txt").wstring(), L"--dates",
                        (Given().work / L"calendario.ics").wstring(), L"-o", cliOut.wstring()},
                       Given().work / L"pdf-cli.log"),
            0u);
}

TEST_F(AgendaProgramTest, ThreeDaysAsPngAndTheChoicesRemembered) {
  const fs::path dialogOut = Folder(L"png-dialog");
  const fs::path cliOut = Folder(L"png-cli");
  WriteSettings("desde=28/02/2028\nhasta=01/03/2028\nformato=png\nfestivos=1\n" + DatesLines() +
                "carpeta=" + Utf8(dialogOut.wstring()) + "\n");
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_YEAR)), L"") << "no whole year";
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_AGENDA_PAPER))) << "paper is for PDF only";
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_AGENDA_BOOKLET)));
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_AGENDA_MARGIN)));
  EXPECT_EQ(CreateAndReadDone(kCommandTimeout), L"Grabadas 3 hojas\nen " + dialogOut.wstring());
  ASSERT_NO_FATAL_FAILURE(CloseProgram());
  EXPECT_EQ(Names(dialogOut),
            (std::vector<std::wstring>{L"01-03-2028.png", L"28-02-2028.png", L"29-02-2028.png"}));
  const std::string settings = ReadText(SettingsFile());
  EXPECT_NE(settings.find("desde=28/02/2028\r\nhasta=01/03/2028\r\nformato=png\r\n"),
            std::string::npos)
      << settings;
  EXPECT_NE(settings.find(DatesLines().substr(0, DatesLines().find('\n'))), std::string::npos);

  EXPECT_EQ(RunAndWait(Given().cli,
                       {L"28/02/2028", L"--to", L"01/03/2028", L"--format", L"png", L"--holidays",
                        L"--dates", (Given().work / L"fechas.txt").wstring(), L"--dates",
                        (Given().work / L"calendario.ics").wstring(), L"-o", cliOut.wstring()},
                       Given().work / L"png-cli.log"),
            0u);
}

// The modern page's options and the planner's pages, from agenda.ini.
TEST_F(AgendaProgramTest, AModernPlannerFromThePreparedChoices) {
  const fs::path dialogOut = Folder(L"modern-dialog");
  const fs::path cliOut = Folder(L"modern-cli");
  WriteSettings(
      "desde=28/01/2027\nhasta=03/02/2027\nformato=pdf\nfestivos=1\nestilo=moderno\n"
      "horas=8-21\nlugar=Sevilla\nplanificador=1\nnotas=2\ncarpeta=" +
      Utf8(dialogOut.wstring()) + "\n");
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_STYLE)), L"Moderno");
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_HOURS)), L"8-21");
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_PLACE)), L"Sevilla");
  EXPECT_EQ(TextOf(Control(IDC_AGENDA_NOTES)), L"2");
  EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_AGENDA_PLANNER), BST_CHECKED);
  const fs::path document = dialogOut / L"28-01-2027_03-02-2027.pdf";
  EXPECT_EQ(CreateAndReadDone(kCommandTimeout).rfind(L"Grabado " + document.wstring() + L" (", 0),
            0u);
  ASSERT_NO_FATAL_FAILURE(CloseProgram());
  EXPECT_TRUE(fs::exists(document));
  const std::string settings = ReadText(SettingsFile());
  EXPECT_NE(settings.find("estilo=moderno\r\nhoras=8-21\r\nlugar=Sevilla\r\n"), std::string::npos)
      << settings;

  EXPECT_EQ(RunAndWait(Given().cli,
                       {L"28/01/2027", L"--to", L"03/02/2027", L"--format", L"pdf", L"--holidays",
                        L"--style", L"modern", L"--hours", L"8-21", L"--place", L"Sevilla",
                        L"--planner", L"--notes", L"2", L"-o", cliOut.wstring()},
                       Given().work / L"modern-cli.log"),
            0u);
}

TEST_F(AgendaProgramTest, CancelKeepsFinishedPagesAndTheDialogWorksOn) {
  const fs::path out = Folder(L"cancel");
  WriteSettings("desde=01/01/2027\nhasta=31/12/2027\nformato=png\nfestivos=0\ncarpeta=" +
                Utf8(out.wstring()) + "\n");
  ASSERT_NO_FATAL_FAILURE(Start());
  PressEnter();
  ASSERT_TRUE(WaitFor([&] { return Names(out).size() >= 3; }, kYearTimeout));
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_AGENDA_STOP)));
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_AGENDA_CREATE))) << "one run at a time";
  PostButtonCommand(dialog_, IDC_AGENDA_STOP);
  HWND box = WaitForBox(kCommandTimeout);
  ASSERT_NE(box, nullptr);
  std::wstring text;
  WaitFor([&] { return !(text = BoxText(box)).empty(); }, kShortTimeout);
  const std::vector<std::wstring> names = Names(out);
  EXPECT_LT(names.size(), 365u);
  EXPECT_EQ(text, L"interrumpido tras " + std::to_wstring(names.size()) +
                      L" hojas; no queda ningún archivo a medias");
  EXPECT_TRUE(CloseBox(box));
  for (const std::wstring& name : names) {
    EXPECT_TRUE(name.size() == 14 && name.ends_with(L".png")) << "left behind: " << Utf8(name);
  }
  // Usable again: the next run goes from the start.
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_AGENDA_CREATE)));
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_AGENDA_STOP)));
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_AGENDA_FORMAT)));
  ASSERT_NO_FATAL_FAILURE(CloseProgram());
}

TEST_F(AgendaProgramTest, ABrokenDatesFileIsRefusedWithTheCommandLinesText) {
  const fs::path out = Folder(L"broken");
  const fs::path broken = Given().work / L"rotas.txt";
  WriteSettings("desde=01/01/2027\nhasta=31/12/2027\nformato=pdf\nfechas1=" +
                Utf8(broken.wstring()) + "\ncarpeta=" + Utf8(out.wstring()) + "\n");
  ASSERT_NO_FATAL_FAILURE(Start());
  PressEnter();
  HWND box = WaitForBox(kCommandTimeout);
  ASSERT_NE(box, nullptr);
  std::wstring text;
  WaitFor([&] { return !(text = BoxText(box)).empty(); }, kShortTimeout);
  EXPECT_TRUE(ReportHasIcon(box));
  EXPECT_EQ(text.rfind(broken.wstring() + L":3: ", 0), 0u) << Utf8(text);
  EXPECT_TRUE(CloseBox(box));
  EXPECT_TRUE(Names(out).empty()) << "nothing is written";
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_AGENDA_CREATE)));
  ASSERT_NO_FATAL_FAILURE(CloseProgram());

  const fs::path log = Given().work / L"broken-cli.log";
  EXPECT_EQ(RunAndWait(Given().cli,
                       {L"01/01/2027", L"--to", L"31/12/2027", L"--format", L"pdf", L"--holidays",
                        L"--dates", broken.wstring(), L"-o", out.wstring()},
                       log),
            2u);
  std::string printed = ReadText(log);
  printed = printed.substr(0, printed.find_first_of("\r\n"));
  EXPECT_EQ(printed, "trevalda: " + Utf8(text));
}

}  // namespace
}  // namespace trevalda::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  HWND probe = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (probe != nullptr) DestroyWindow(probe);
  ::testing::UnitTest::GetInstance()->listeners().Append(
      new trevalda::testing::Watchdog(std::chrono::seconds(600)));
  auto& given = trevalda::testing::Given();
  for (int i = 1; i + 1 < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--agenda") given.agenda = argv[i + 1];
    if (option == "--cli") given.cli = argv[i + 1];
    if (option == "--work") given.work = argv[i + 1];
  }
  return RUN_ALL_TESTS();
}
