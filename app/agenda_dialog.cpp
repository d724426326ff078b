#include "app/agenda_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "app/agenda_job.h"
#include "app/agenda_settings.h"
#include "app/cli_options.h"
#include "app/resources/agenda_ids.h"
#include "app/yearbook.h"
#include "calendar/almanac.h"
#include "text/error_text.h"
#include "text/shown_text.h"
#include "text/wide_text.h"

namespace trevalda {
namespace {

constexpr const wchar_t* kTitle = L"Trevalda - Agenda";
// The pickers show the layout the command line reads.
constexpr const wchar_t* kPickerFormat = L"dd/MM/yyyy";

// Posted by the worker: WPARAM pages done, LPARAM pages in all.
constexpr UINT kProgressMessage = WM_APP + 1;
// Posted by the worker when the job is over: LPARAM a Finished* to adopt.
constexpr UINT kFinishedMessage = WM_APP + 2;

// The years the shortcut lists around the default one.
constexpr int kYearsBefore = 2;
constexpr int kYearsAfter = 5;

// What the combo boxes show and what the command line takes.
struct Item {
  const wchar_t* shown;
  const char* value;
};
constexpr Item kFormats[] = {{L"PDF", "pdf"}, {L"PNG", "png"}, {L"BMP", "bmp"}};
constexpr Item kPapers[] = {
    {L"A4", "a4"}, {L"A5", "a5"}, {L"Carta", "letter"}, {L"Tableta", "tablet"}};
constexpr Item kStyles[] = {{L"Clásico", "classic"}, {L"Moderno", "modern"}};
constexpr Item kNoPlace = {L"Ninguno", "none"};

// The places the modern page knows by name, then none.
std::span<const Item> PlaceItems() {
  static const std::vector<std::wstring> names = [] {
    std::vector<std::wstring> shown;
    for (const Place& place : SpanishCapitals()) shown.push_back(Utf8ToWide(place.name));
    return shown;
  }();
  static const std::vector<Item> items = [] {
    std::vector<Item> list;
    const std::span<const Place> places = SpanishCapitals();
    for (std::size_t i = 0; i < places.size(); ++i) {
      list.push_back({names[i].c_str(), places[i].name.c_str()});
    }
    list.push_back(kNoPlace);
    return list;
  }();
  return items;
}

// The controls a run disables, besides the choices' ones.
constexpr int kInputs[] = {IDC_AGENDA_FROM,   IDC_AGENDA_TO,       IDC_AGENDA_YEAR,
                           IDC_AGENDA_FORMAT, IDC_AGENDA_HOLIDAYS, IDC_AGENDA_DATES,
                           IDC_AGENDA_ADD,    IDC_AGENDA_REMOVE,   IDC_AGENDA_FOLDER,
                           IDC_AGENDA_BROWSE, IDC_AGENDA_CREATE};
// The control of each AgendaChoice: a list (with its items), a check box
// for a switch, or else an edit field; and a control that goes with it
// (enabled and disabled together), or 0.
struct ChoiceControl {
  int id;
  std::span<const Item> (*items)() = nullptr;
  int partner = 0;
};
constexpr ChoiceControl kChoiceControls[kAgendaChoiceCount] = {
    {IDC_AGENDA_STYLE, [] { return std::span<const Item>(kStyles); }},
    {IDC_AGENDA_HOURS},
    {IDC_AGENDA_PLACE, PlaceItems},
    {IDC_AGENDA_PAPER, [] { return std::span<const Item>(kPapers); }},
    {IDC_AGENDA_MARGIN},
    {IDC_AGENDA_BOOKLET},
    {IDC_AGENDA_PLANNER},
    {IDC_AGENDA_NOTES, nullptr, IDC_AGENDA_NOTES_SPIN},
    {IDC_AGENDA_ZONE}};
// The longest text each edit field takes.
constexpr std::pair<int, int> kEditLimits[] = {
    {IDC_AGENDA_MARGIN, 8}, {IDC_AGENDA_HOURS, 5}, {IDC_AGENDA_NOTES, 2}};

struct Finished {
  JobReport report;
  std::vector<std::string> warnings;
};

struct DialogState {
  HWND window = nullptr;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  std::thread worker;
  std::atomic<bool> stop{false};
  bool running = false;
  bool closeWhenDone = false;
  AgendaSettings runSettings;
};

DialogState& State() {
  static DialogState state;
  return state;
}

// ---------------------------------------------------------------------------
// Text and paths

std::filesystem::path KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::filesystem::path folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path != nullptr) folder = path;
  CoTaskMemFree(path);
  return folder;
}

std::wstring ControlText(HWND window, int id) {
  HWND control = GetDlgItem(window, id);
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  const int copied = GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void ShowError(HWND window, std::string_view message) {
  MessageBoxW(window, Utf8ToWide(message).c_str(), kTitle, MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------------------
// The settings file

AgendaSettings LoadSettings(const PageDate& today) {
  std::string text;
  if (const std::filesystem::path file = AgendaSettingsFile(); !file.empty()) {
    std::ifstream in(file, std::ios::binary);
    text.resize(kMaxSettingsBytes);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  }
  return ReadAgendaSettings(text, today);
}

// Remembering the choices is a courtesy: a failure is not worth a message.
void StoreSettings(const AgendaSettings& settings) {
  const std::filesystem::path file = AgendaSettingsFile();
  if (file.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(file.parent_path(), ignored);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  const std::string text = WriteAgendaSettings(settings);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// ---------------------------------------------------------------------------
// Controls and settings

PageDate Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {static_cast<std::int16_t>(now.wDay), static_cast<std::int16_t>(now.wMonth),
          static_cast<std::int16_t>(now.wYear)};
}

PageDate PickerDate(HWND window, int id) {
  SYSTEMTIME time{};
  SendDlgItemMessageW(window, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
  return {static_cast<std::int16_t>(time.wDay), static_cast<std::int16_t>(time.wMonth),
          static_cast<std::int16_t>(time.wYear)};
}

void SetPickerDate(HWND window, int id, const PageDate& date) {
  SYSTEMTIME time{};
  time.wDay = static_cast<WORD>(date.day);
  time.wMonth = static_cast<WORD>(date.month);
  time.wYear = static_cast<WORD>(date.year);
  SendDlgItemMessageW(window, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

void FillCombo(HWND window, int id, std::span<const Item> items) {
  for (const Item& item : items) {
    SendDlgItemMessageW(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.shown));
  }
}

// Selects the item of `value`; a value the list does not show (a place
// agenda.ini names by its coordinates) joins the list as it is written.
void SelectValue(HWND window, int id, std::span<const Item> items, std::string_view value) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (value == items[i].value) {
      SendDlgItemMessageW(window, id, CB_SETCURSEL, i, 0);
      return;
    }
  }
  if (value.empty()) return;
  const std::wstring shown = Utf8ToWide(value);
  LRESULT index = SendDlgItemMessageW(window, id, CB_FINDSTRINGEXACT, items.size() - 1,
                                      reinterpret_cast<LPARAM>(shown.c_str()));
  if (index < static_cast<LRESULT>(items.size())) {
    index =
        SendDlgItemMessageW(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  }
  SendDlgItemMessageW(window, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string SelectedValue(HWND window, int id, std::span<const Item> items) {
  const LRESULT index = SendDlgItemMessageW(window, id, CB_GETCURSEL, 0, 0);
  if (index >= 0 && static_cast<std::size_t>(index) < items.size()) return items[index].value;
  const LRESULT length = SendDlgItemMessageW(window, id, CB_GETLBTEXTLEN, index, 0);
  if (index < 0 || length <= 0) return items.front().value;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendDlgItemMessageW(window, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return WideToUtf8(text);
}

bool Checked(HWND window, int id) { return IsDlgButtonChecked(window, id) == BST_CHECKED; }

std::vector<std::wstring> DateFiles(HWND window) {
  std::vector<std::wstring> files;
  const LRESULT count = SendDlgItemMessageW(window, IDC_AGENDA_DATES, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendDlgItemMessageW(window, IDC_AGENDA_DATES, LB_GETTEXTLEN, i, 0);
    std::wstring file(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendDlgItemMessageW(window, IDC_AGENDA_DATES, LB_GETTEXT, i,
                        reinterpret_cast<LPARAM>(file.data()));
    file.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
    files.push_back(std::move(file));
  }
  return files;
}

void AddDateFile(HWND window, const std::wstring& file) {
  const std::vector<std::wstring> files = DateFiles(window);
  if (std::find(files.begin(), files.end(), file) != files.end()) return;
  SendDlgItemMessageW(window, IDC_AGENDA_DATES, LB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(file.c_str()));
}

AgendaSettings ReadControls(HWND window) {
  AgendaSettings settings;
  settings.from = PickerDate(window, IDC_AGENDA_FROM);
  settings.to = PickerDate(window, IDC_AGENDA_TO);
  settings.format = SelectedValue(window, IDC_AGENDA_FORMAT, kFormats);
  for (std::size_t i = 0; i < kAgendaChoiceCount; ++i) {
    const ChoiceControl& control = kChoiceControls[i];
    if (control.items != nullptr) {
      settings.choices[i] = SelectedValue(window, control.id, control.items());
    } else if (SpecOf(static_cast<AgendaChoice>(i)).isSwitch) {
      settings.choices[i] = Checked(window, control.id) ? "1" : "0";
    } else {
      settings.choices[i] = WideToUtf8(ControlText(window, control.id));
    }
  }
  settings.holidays = Checked(window, IDC_AGENDA_HOLIDAYS);
  for (const std::wstring& file : DateFiles(window)) settings.dateFiles.push_back(WideToUtf8(file));
  settings.folder = WideToUtf8(ControlText(window, IDC_AGENDA_FOLDER));
  return settings;
}

// The year shortcut shows the year the range covers exactly, or nothing.
void SyncYear(HWND window) {
  const PageDate from = PickerDate(window, IDC_AGENDA_FROM);
  const PageDate to = PickerDate(window, IDC_AGENDA_TO);
  const DateRange year = YearRange(from.year);
  LRESULT selected = -1;
  if (from == year.first && to == year.last) {
    const std::wstring text = std::to_wstring(from.year);
    selected = SendDlgItemMessageW(window, IDC_AGENDA_YEAR, CB_FINDSTRINGEXACT,
                                   static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (selected < 0) {
      selected = SendDlgItemMessageW(window, IDC_AGENDA_YEAR, CB_ADDSTRING, 0,
                                     reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  SendDlgItemMessageW(window, IDC_AGENDA_YEAR, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void ChooseYear(HWND window) {
  const std::wstring text = ControlText(window, IDC_AGENDA_YEAR);
  if (text.empty()) return;
  const DateRange year = YearRange(static_cast<std::int16_t>(std::stoi(text)));
  SetPickerDate(window, IDC_AGENDA_FROM, year.first);
  SetPickerDate(window, IDC_AGENDA_TO, year.last);
}

void EnableChoice(HWND window, const ChoiceControl& control, bool enabled) {
  EnableWindow(GetDlgItem(window, control.id), enabled ? TRUE : FALSE);
  if (control.partner != 0) {
    EnableWindow(GetDlgItem(window, control.partner), enabled ? TRUE : FALSE);
  }
}

// Each choice's control is enabled where the command line takes the choice
// together with the others.
void UpdateChoices(HWND window) {
  const std::array<bool, kAgendaChoiceCount> allowed = AllowedChoices(ReadControls(window));
  for (std::size_t i = 0; i < kAgendaChoiceCount; ++i) {
    EnableChoice(window, kChoiceControls[i], allowed[i]);
  }
}

void ShowSettings(HWND window, const AgendaSettings& settings) {
  SetPickerDate(window, IDC_AGENDA_FROM, settings.from);
  SetPickerDate(window, IDC_AGENDA_TO, settings.to);
  SelectValue(window, IDC_AGENDA_FORMAT, kFormats, settings.format);
  for (std::size_t i = 0; i < kAgendaChoiceCount; ++i) {
    const ChoiceControl& control = kChoiceControls[i];
    if (control.items != nullptr) {
      SelectValue(window, control.id, control.items(), settings.choices[i]);
    } else if (SpecOf(static_cast<AgendaChoice>(i)).isSwitch) {
      CheckDlgButton(window, control.id, settings.choices[i] == "1" ? BST_CHECKED : BST_UNCHECKED);
    } else {
      SetDlgItemTextW(window, control.id, Utf8ToWide(settings.choices[i]).c_str());
    }
  }
  CheckDlgButton(window, IDC_AGENDA_HOLIDAYS, settings.holidays ? BST_CHECKED : BST_UNCHECKED);
  for (const std::string& file : settings.dateFiles) AddDateFile(window, Utf8ToWide(file));
  std::wstring folder = Utf8ToWide(settings.folder);
  if (folder.empty()) folder = KnownFolder(FOLDERID_Documents).wstring();
  SetDlgItemTextW(window, IDC_AGENDA_FOLDER, folder.c_str());
  SyncYear(window);
  UpdateChoices(window);
}

void InitDialog(HWND window) {
  DialogState& state = State();
  state.window = window;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  state.bigIcon =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(200), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  state.smallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(200), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.bigIcon));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.smallIcon));
  for (int id : {IDC_AGENDA_FROM, IDC_AGENDA_TO}) {
    SendDlgItemMessageW(window, id, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(kPickerFormat));
  }
  const PageDate today = Today();
  const int firstYear = DefaultAgendaYear(today) - kYearsBefore;
  for (int year = firstYear; year <= firstYear + kYearsBefore + kYearsAfter; ++year) {
    SendDlgItemMessageW(window, IDC_AGENDA_YEAR, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(std::to_wstring(year).c_str()));
  }
  FillCombo(window, IDC_AGENDA_FORMAT, kFormats);
  for (const ChoiceControl& control : kChoiceControls) {
    if (control.items != nullptr) FillCombo(window, control.id, control.items());
  }
  for (auto [id, limit] : kEditLimits) SendDlgItemMessageW(window, id, EM_SETLIMITTEXT, limit, 0);
  SendDlgItemMessageW(window, IDC_AGENDA_NOTES_SPIN, UDM_SETRANGE32, 0, kMaxNotesPages);
  ShowSettings(window, LoadSettings(today));
}

// ---------------------------------------------------------------------------
// Adding dates files and choosing the folder

void BrowseDateFiles(HWND window) {
  std::wstring buffer(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = window;
  dialog.lpstrFilter = L"Fechas (*.txt, *.ics)\0*.txt;*.ics\0Todos los archivos (*.*)\0*.*\0";
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrTitle = L"Añadir fechas";
  dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&dialog)) return;
  // One file: its full path. Several: the folder, then each name.
  std::vector<std::wstring> parts;
  for (const wchar_t* part = buffer.c_str(); *part != L'\0'; part += parts.back().size() + 1) {
    parts.emplace_back(part);
  }
  if (parts.size() == 1) {
    AddDateFile(window, parts.front());
  }
  for (std::size_t i = 1; i < parts.size(); ++i) {
    AddDateFile(window, (std::filesystem::path(parts.front()) / parts[i]).wstring());
  }
}

void RemoveDateFile(HWND window) {
  const LRESULT selected = SendDlgItemMessageW(window, IDC_AGENDA_DATES, LB_GETCURSEL, 0, 0);
  if (selected < 0) return;
  SendDlgItemMessageW(window, IDC_AGENDA_DATES, LB_DELETESTRING, selected, 0);
  const LRESULT left = SendDlgItemMessageW(window, IDC_AGENDA_DATES, LB_GETCOUNT, 0, 0);
  SendDlgItemMessageW(window, IDC_AGENDA_DATES, LB_SETCURSEL, std::min(selected, left - 1), 0);
}

void BrowseFolder(HWND window) {
  BROWSEINFOW browse{};
  browse.hwndOwner = window;
  browse.lpszTitle = L"Carpeta donde se graba la agenda";
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return;
  wchar_t path[MAX_PATH] = {};
  if (SHGetPathFromIDListW(chosen, path)) SetDlgItemTextW(window, IDC_AGENDA_FOLDER, path);
  CoTaskMemFree(chosen);
}

// ---------------------------------------------------------------------------
// The run

void SetRunning(HWND window, bool running) {
  DialogState& state = State();
  state.running = running;
  for (int id : kInputs) EnableWindow(GetDlgItem(window, id), running ? FALSE : TRUE);
  for (const ChoiceControl& control : kChoiceControls) EnableChoice(window, control, !running);
  EnableWindow(GetDlgItem(window, IDC_AGENDA_STOP), running ? TRUE : FALSE);
  if (!running) UpdateChoices(window);
  const int focus = running ? IDC_AGENDA_STOP : IDC_AGENDA_CREATE;
  SendMessageW(window, DM_SETDEFID, focus, 0);
  SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, focus)), TRUE);
}

void RunJob(HWND window, CliOptions options, std::atomic<bool>* stop) {
  auto finished = std::make_unique<Finished>();
  JobHooks hooks;
  hooks.progress = [window, stop](std::int32_t done, std::int32_t total) {
    PostMessageW(window, kProgressMessage, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
    return !stop->load();
  };
  hooks.warn = [&finished](const std::string& warning) { finished->warnings.push_back(warning); };
  finished->report = RunAgendaJob(options, hooks);
  PostMessageW(window, kFinishedMessage, 0, reinterpret_cast<LPARAM>(finished.release()));
}

// The output folder is a folder here (the command line's -o would take a
// name that does not exist as the PDF's): Documents when none is given,
// made when it does not exist yet.
Result<> PrepareFolder(AgendaSettings& settings) {
  if (settings.folder.empty())
    settings.folder = WideToUtf8(KnownFolder(FOLDERID_Documents).wstring());
  const std::filesystem::path folder(Utf8ToWide(settings.folder));
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return {};
  std::filesystem::create_directories(folder, error);
  if (!error && std::filesystem::is_directory(folder, error)) return {};
  return Failure("no se pudo crear la carpeta " + ShownPath(folder) + ": " +
                 (error ? ErrorText(error) : "ese nombre ya lo tiene un archivo"));
}

void Create(HWND window) {
  DialogState& state = State();
  if (state.running) return;
  AgendaSettings settings = ReadControls(window);
  if (const Result<> ready = PrepareFolder(settings); !ready) {
    ShowError(window, ready.message());
    return;
  }
  const Result<CliOptions> parsed = ParseCommandLine(AgendaArguments(settings));
  if (!parsed) {
    ShowError(window, parsed.message());
    return;
  }
  state.runSettings = settings;
  state.stop = false;
  SendDlgItemMessageW(window, IDC_AGENDA_PROGRESS, PBM_SETPOS, 0, 0);
  SetRunning(window, true);
  state.worker = std::thread(RunJob, window, *parsed, &state.stop);
}

// What "Abrir" opens: the PDF, or the folder of the pages.
std::filesystem::path OpenedPath(const JobReport& report) {
  std::error_code ignored;
  const std::filesystem::path output = report.output.empty() ? "." : report.output;
  const std::filesystem::path absolute = std::filesystem::absolute(output, ignored);
  return absolute.empty() ? output : absolute;
}

INT_PTR CALLBACK DoneProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* finished = reinterpret_cast<const Finished*>(lParam);
      SetWindowLongPtrW(box, DWLP_USER, lParam);
      std::string text = finished->report.message;
      if (finished->report.format != CliFormat::kPdf) {
        text += "\nen " + WideToUtf8(OpenedPath(finished->report).wstring());
      }
      for (const std::string& warning : finished->warnings) text += "\n" + warning;
      SetDlgItemTextW(box, IDC_AGENDA_DONE_TEXT, Utf8ToWide(text).c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_AGENDA_OPEN) {
        const auto* finished = reinterpret_cast<const Finished*>(GetWindowLongPtrW(box, DWLP_USER));
        const JobReport& report = finished->report;
        ShellExecuteW(box, L"open", OpenedPath(report).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        EndDialog(box, IDC_AGENDA_OPEN);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(box, IDCANCEL);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

void Finish(HWND window, std::unique_ptr<Finished> finished) {
  DialogState& state = State();
  if (state.worker.joinable()) state.worker.join();
  StoreSettings(state.runSettings);
  SetRunning(window, false);
  if (state.closeWhenDone) {
    EndDialog(window, 0);
    return;
  }
  const JobReport& report = finished->report;
  switch (report.status) {
    case JobStatus::kDone:
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_AGENDA_DONE), window,
                      DoneProc, reinterpret_cast<LPARAM>(finished.get()));
      break;
    case JobStatus::kStopped:
      MessageBoxW(window, Utf8ToWide(report.message).c_str(), kTitle, MB_OK | MB_ICONINFORMATION);
      break;
    case JobStatus::kRefused:
    case JobStatus::kFailed:
      ShowError(window, report.message);
      break;
  }
}

void Close(HWND window) {
  DialogState& state = State();
  if (state.running) {
    state.closeWhenDone = true;
    state.stop = true;
    return;
  }
  EndDialog(window, 0);
}

// A notification that a choice's control has a new value.
bool ChangesAChoice(int id, int code) {
  for (const ChoiceControl& control : kChoiceControls) {
    if (control.id != id) continue;
    return control.items == nullptr ? code == BN_CLICKED || code == EN_CHANGE
                                    : code == CBN_SELCHANGE;
  }
  return false;
}

void OnCommand(HWND window, int id, int code) {
  switch (id) {
    case IDC_AGENDA_CREATE:
      Create(window);
      break;
    case IDC_AGENDA_STOP:
      State().stop = true;
      break;
    case IDCANCEL:  // Escape, or the caption's close button
      if (State().running) {
        State().stop = true;
      } else {
        Close(window);
      }
      break;
    case IDC_AGENDA_YEAR:
      if (code == CBN_SELCHANGE) ChooseYear(window);
      break;
    case IDC_AGENDA_FORMAT:
      if (code == CBN_SELCHANGE) UpdateChoices(window);
      break;
    case IDC_AGENDA_ADD:
      BrowseDateFiles(window);
      break;
    case IDC_AGENDA_REMOVE:
      RemoveDateFile(window);
      break;
    case IDC_AGENDA_BROWSE:
      BrowseFolder(window);
      break;
    default:
      if (ChangesAChoice(id, code)) UpdateChoices(window);
      break;
  }
}

INT_PTR CALLBACK AgendaDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(window);
      return TRUE;
    case WM_COMMAND:
      OnCommand(window, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == DTN_DATETIMECHANGE) SyncYear(window);
      return FALSE;
    }
    case kProgressMessage:
      SendDlgItemMessageW(window, IDC_AGENDA_PROGRESS, PBM_SETRANGE32, 0, lParam);
      SendDlgItemMessageW(window, IDC_AGENDA_PROGRESS, PBM_SETPOS, wParam, 0);
      return TRUE;
    case kFinishedMessage:
      Finish(window, std::unique_ptr<Finished>(reinterpret_cast<Finished*>(lParam)));
      return TRUE;
    case WM_CLOSE:
      Close(window);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::filesystem::path AgendaSettingsFile() {
  const std::filesystem::path appData = KnownFolder(FOLDERID_RoamingAppData);
  if (appData.empty()) return {};
  return appData / L"Trevalda" / L"agenda.ini";
}

int ShowAgendaDialog(HINSTANCE instance) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_AGENDA), nullptr, AgendaDialogProc, 0);
  DialogState& state = State();
  for (HICON icon : {state.bigIcon, state.smallIcon}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
  return 0;
}

}  // namespace trevalda
