// The Windows program: start-up, the main dialog and its modal display, the
// message handler and the "Crear" command.
#include "app/main_dialog.h"

#include <commctrl.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/create_page.h"
#include "canvas/text.h"
#include "text/wide_text.h"

namespace trevalda {
namespace {

// ---------------------------------------------------------------------------
// What the dialog looks like

constexpr std::string_view kTitle = "Trevalda";
constexpr std::string_view kReportTitle = "Programador";

// Position and client size in dialog units.
constexpr short kDialogX = 70;
constexpr short kDialogY = 70;
constexpr short kDialogWidth = 201;
constexpr short kDialogHeight = 120;

// No WS_SYSMENU: the caption shows the title and no buttons.
constexpr DWORD kDialogStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CAPTION |
                               WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT | DS_NOFAILCREATE |
                               DS_3DLOOK;
static_assert(kDialogStyle == 0x94C200D4);
constexpr DWORD kDialogExStyle = WS_EX_CONTROLPARENT;

// The template font; dialog units are measured in it.
constexpr std::wstring_view kTemplateFace = L"MS Sans Serif";
constexpr WORD kTemplatePoints = 8;
constexpr WORD kTemplateWeight = FW_BOLD;

// Icon group 200 of the executable's resources.
constexpr const wchar_t* kIconResource = L"#200";
constexpr int kBigIconSize = 32;
constexpr int kSmallIconSize = 16;

constexpr DWORD kTabStopChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kBorderedChild = WS_CHILD | WS_VISIBLE | WS_BORDER;
static_assert(kTabStopChild == 0x50010000 && kBorderedChild == 0x50800000);

struct ControlLayout {
  int id;
  const wchar_t* windowClass;
  std::string_view text;  // Windows-1252
  short x;
  short y;
  short width;
  short height;
  DWORD style;
  DWORD exStyle;
};

// The label's text: four pieces, shown exactly as they stand.
const std::string& DescriptionText() {
  static const std::string text =
      std::string("Este programa te crea una hoja ") +
      "del dia que elijas de un tipico anuario en formato DIN A4, mas " +
      "conocido como folio combencional. Para que lo puedas imprimir en " + "papel estandar.";
  return text;
}

// The label: white text on pure red.
constexpr COLORREF kLabelText = 0xFFFFFF;
constexpr COLORREF kLabelBack = 0x0000FF;

// The picker always shows a two-digit day, a two-digit month and a
// four-digit year, the layout the page command cuts at fixed positions.
constexpr const wchar_t* kPickerFormat = L"dd/MM/yyyy";

// The two control fonts.
constexpr std::string_view kControlFace = "MS Sans Serif";
constexpr float kPickerPoints = 18.0f;
constexpr float kControlPoints = 10.0f;
constexpr double kPointsPerInch = 72.0;

// The common-control classes the dialog registers.
constexpr DWORD kCommonControlClasses = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES;
static_assert(kCommonControlClasses == 0x000009FF);

// The modal display's pause when the thread has no message, milliseconds.
constexpr DWORD kIdlePause = 1;

// ---------------------------------------------------------------------------
// Process-wide state of the dialog (one dialog per run, one thread)

// A control font: the description registered with NewFont and the platform
// font made from it on first use.
struct ControlFont {
  std::int32_t number = 0;
  std::string face;  // Windows-1252
  float points = 0;
  std::int32_t style = 0;
  HFONT font = nullptr;
};

struct DialogState {
  HWND dialog = nullptr;
  std::int32_t result = 0;
  DLGPROC handler = nullptr;  // set once WM_INITDIALOG has been delivered
  HWND coloredControl = nullptr;
  COLORREF textColor = 0;
  COLORREF backColor = 0;
  HBRUSH backBrush = nullptr;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  std::vector<ControlFont> fonts;
  HWND savedFocus = nullptr;  // the control that had the focus on deactivation
};

DialogState& State() {
  static DialogState state;
  return state;
}

// ---------------------------------------------------------------------------
// The in-memory dialog template

class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(std::wstring_view text) {
    for (wchar_t c : text) {
      Word(static_cast<WORD>(c));
    }
    Word(0);
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;
};

// An extended dialog template with no controls: they are added as child
// windows once the dialog exists. The title is set after creation.
TemplateWriter MainDialogTemplate() {
  TemplateWriter t;
  t.Word(1);       // dlgVer
  t.Word(0xFFFF);  // signature: extended template
  t.Dword(0);      // helpID
  t.Dword(kDialogExStyle);
  t.Dword(kDialogStyle & ~static_cast<DWORD>(WS_VISIBLE));  // shown by the modal display
  t.Word(0);                                                // no items
  t.Word(static_cast<WORD>(kDialogX));
  t.Word(static_cast<WORD>(kDialogY));
  t.Word(static_cast<WORD>(kDialogWidth));
  t.Word(static_cast<WORD>(kDialogHeight));
  t.Word(0);    // no menu
  t.Word(0);    // the standard dialog class
  t.Text(L"");  // title
  t.Word(kTemplatePoints);
  t.Word(kTemplateWeight);
  t.Word(0);  // not italic, character set 0
  t.Text(kTemplateFace);
  return t;
}

// ---------------------------------------------------------------------------
// Controls, fonts and colours

HWND AddControl(HWND dialog, const ControlLayout& layout) {
  RECT rect{layout.x, layout.y, layout.x + layout.width, layout.y + layout.height};
  MapDialogRect(dialog, &rect);
  const std::wstring text = Cp1252ToWide(layout.text);
  return CreateWindowExW(layout.exStyle, layout.windowClass, text.c_str(), layout.style, rect.left,
                         rect.top, rect.right - rect.left, rect.bottom - rect.top, dialog,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)),
                         GetModuleHandleW(nullptr), nullptr);
}

void SetControlColors(HWND control, COLORREF text, COLORREF back) {
  DialogState& state = State();
  if (state.backBrush != nullptr) {
    DeleteObject(state.backBrush);
  }
  state.coloredControl = control;
  state.textColor = text;
  state.backColor = back;
  state.backBrush = CreateSolidBrush(back);
}

// Registers a control font with the page engine's font table (so that font
// numbers are shared with the page) and remembers its description here.
std::int32_t RegisterControlFont(std::string_view face, float points, std::int32_t style) {
  const std::int32_t number = NewFont(face, points, style);
  if (number == 0) {
    return 0;
  }
  DialogState& state = State();
  for (const ControlFont& known : state.fonts) {
    if (known.number == number) {
      return number;
    }
  }
  state.fonts.push_back(ControlFont{number, std::string(face), points, style, nullptr});
  return number;
}

ControlFont* FindControlFont(std::int32_t number) {
  for (ControlFont& font : State().fonts) {
    if (font.number == number) {
      return &font;
    }
  }
  return nullptr;
}

HFONT MakeControlFont(const ControlFont& description, HWND control) {
  HDC dc = GetDC(control);
  const int dotsPerInch = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc != nullptr) {
    ReleaseDC(control, dc);
  }
  LOGFONTW lf{};
  // Rounded to the nearest integer, halves to even (the default rounding).
  lf.lfHeight = -static_cast<LONG>(
      std::nearbyint(dotsPerInch * static_cast<double>(description.points) / kPointsPerInch));
  lf.lfWeight = (description.style & kFontBold) != 0 ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (description.style & kFontItalic) != 0 ? TRUE : FALSE;
  lf.lfUnderline = (description.style & kFontUnderline) != 0 ? TRUE : FALSE;
  lf.lfStrikeOut = (description.style & kFontStrikeOut) != 0 ? TRUE : FALSE;
  lf.lfCharSet = 0;
  lf.lfPitchAndFamily = 0;
  const std::wstring face = Cp1252ToWide(description.face).substr(0, LF_FACESIZE - 1);
  face.copy(lf.lfFaceName, face.size());
  lf.lfFaceName[face.size()] = L'\0';
  return CreateFontIndirectW(&lf);
}

// Deletes the platform font of a control font; the dialog that used it is
// gone. The description stays registered.
void ReleaseControlFont(std::int32_t number) {
  if (ControlFont* font = FindControlFont(number); font != nullptr && font->font != nullptr) {
    DeleteObject(font->font);
    font->font = nullptr;
  }
}

// ---------------------------------------------------------------------------
// The dialog engine

bool IsControlColorMessage(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  return IsControlColorMessage(message) || message == WM_COMPAREITEM || message == WM_VKEYTOITEM ||
         message == WM_CHARTOITEM || message == WM_QUERYDRAGICON || message == WM_INITDIALOG;
}

// The dialog procedure the platform calls. It hands messages to the
// handler first; what the handler leaves alone gets the engine's own
// treatment or the platform's default dialog processing.
INT_PTR CALLBACK DialogEngineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogState& state = State();
  if (state.handler != nullptr && message != WM_ACTIVATE) {
    const INT_PTR handled = state.handler(dialog, message, wParam, lParam);
    if (handled != 0) {
      if (ReturnsDirectly(message)) {
        return handled;
      }
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, handled);
      return TRUE;
    }
  }
  if (IsControlColorMessage(message) && state.coloredControl != nullptr &&
      reinterpret_cast<HWND>(lParam) == state.coloredControl) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, state.textColor);
    SetBkColor(dc, state.backColor);
    return reinterpret_cast<INT_PTR>(state.backBrush);
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    if (dialog == state.dialog) {
      EndMainDialog(0);
    }
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    // Enter and Escape mean nothing here: the dialog stays open.
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
    return TRUE;
  }
  return FALSE;
}

// Runs the dialog until its window is gone and returns the stored result.
std::int32_t RunModal(HWND dialog, HWND owner, DLGPROC handler) {
  DialogState& state = State();
  SetForegroundWindow(dialog);
  handler(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog), 0);
  RECT client{};
  GetClientRect(dialog, &client);
  handler(dialog, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  state.handler = handler;
  if (owner != nullptr) {
    EnableWindow(owner, FALSE);
  }
  ShowWindow(dialog, SW_SHOW);

  MSG msg{};
  while (IsWindow(dialog)) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(kIdlePause);
      continue;
    }
    if (msg.message == WM_QUIT) {
      // Someone asked the thread to finish: end the dialog and pass the
      // request on.
      EndMainDialog(0);
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!IsDialogMessageW(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  state.handler = nullptr;
  if (owner != nullptr) {
    EnableWindow(owner, TRUE);
    SetFocus(owner);
  }
  return state.result;
}

}  // namespace

void PrepareCommonControls() {
  HMODULE library = LoadLibraryA("COMCTL32.DLL");
  if (library == nullptr) {
    return;
  }
  using InitExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  using InitFunction = void(WINAPI*)();
  // Casting through void (*)() is the documented way to change a function
  // pointer's type without a warning.
  if (FARPROC initEx = GetProcAddress(library, "InitCommonControlsEx"); initEx != nullptr) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof(classes);  // 8
    classes.dwICC = kCommonControlClasses;
    reinterpret_cast<InitExFunction>(reinterpret_cast<void (*)()>(initEx))(&classes);
  } else if (FARPROC init = GetProcAddress(library, "InitCommonControls"); init != nullptr) {
    reinterpret_cast<InitFunction>(reinterpret_cast<void (*)()>(init))();
  }
  FreeLibrary(library);
}

std::int32_t ShowMainDialog(HWND owner) {
  DialogState& state = State();
  HINSTANCE instance = GetModuleHandleW(nullptr);

  // 1. The dialog, hidden, then its title.
  const TemplateWriter dialogTemplate = MainDialogTemplate();
  HWND dialog =
      CreateDialogIndirectParamW(instance, dialogTemplate.Get(), owner, DialogEngineProc, 0);
  if (dialog == nullptr) {
    return 0;
  }
  state.dialog = dialog;
  state.result = 0;
  const std::wstring title = Cp1252ToWide(kTitle);
  SetWindowTextW(dialog, title.c_str());

  // 2. The icons.
  state.bigIcon = static_cast<HICON>(
      LoadImageW(instance, kIconResource, IMAGE_ICON, kBigIconSize, kBigIconSize, 0));
  state.smallIcon = static_cast<HICON>(
      LoadImageW(instance, kIconResource, IMAGE_ICON, kSmallIconSize, kSmallIconSize, 0));
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.bigIcon));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.smallIcon));

  // 3. The controls, in tab order, and the label's colours.
  HWND picker = AddControl(dialog, {IDC_DATE_PICKER, L"SysDateTimePick32", "SysDateTimePick32_1", 5,
                                    5, 110, 20, kTabStopChild, WS_EX_CLIENTEDGE});
  if (picker != nullptr) {
    SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(kPickerFormat));
  }
  HWND label = AddControl(
      dialog, {IDC_DESCRIPTION, L"STATIC", DescriptionText(), 5, 35, 190, 60, kBorderedChild, 0});
  SetControlColors(label, kLabelText, kLabelBack);
  AddControl(dialog, {IDC_QUIT, L"BUTTON", "Salir", 5, 100, 30, 15, kTabStopChild, 0});
  AddControl(dialog, {IDC_CREATE, L"BUTTON", "Crear", 160, 100, 35, 15, kTabStopChild, 0});

  // 4. and 5. The fonts.
  const std::int32_t pickerFont = RegisterControlFont(kControlFace, kPickerPoints, kFontBold);
  const std::int32_t controlFont = RegisterControlFont(kControlFace, kControlPoints, kFontBold);
  SetControlFont(dialog, IDC_DATE_PICKER, pickerFont);
  SetControlFont(dialog, IDC_DESCRIPTION, controlFont);
  SetControlFont(dialog, IDC_QUIT, controlFont);
  SetControlFont(dialog, IDC_CREATE, controlFont);

  // 6. Modal display.
  const std::int32_t result = RunModal(dialog, owner, MainDialogProc);

  // 7. Release what the dialog used.
  ReleaseControlFont(pickerFont);
  ReleaseControlFont(controlFont);
  if (state.backBrush != nullptr) {
    DeleteObject(state.backBrush);
    state.backBrush = nullptr;
  }
  state.coloredControl = nullptr;
  for (HICON* icon : {&state.bigIcon, &state.smallIcon}) {
    if (*icon != nullptr) {
      DestroyIcon(*icon);
      *icon = nullptr;
    }
  }
  state.dialog = nullptr;
  return result;
}

void SetControlFont(HWND dialog, int controlId, std::int32_t fontNumber) {
  if (fontNumber == 0) {
    fontNumber = 1;
  }
  HWND control = GetDlgItem(dialog, controlId);
  ControlFont* font = FindControlFont(fontNumber);
  if (control == nullptr || font == nullptr) {
    return;
  }
  if (font->font == nullptr) {
    font->font = MakeControlFont(*font, control);
    if (font->font == nullptr) {
      return;
    }
  }
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font->font), TRUE);
}

void EndMainDialog(std::int32_t result) {
  DialogState& state = State();
  state.result = result;
  HWND dialog = state.dialog;
  if (dialog == nullptr || !IsWindow(dialog)) {
    return;
  }
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  DestroyWindow(dialog);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  DialogState& state = State();
  switch (message) {
    case WM_INITDIALOG:
      // The page canvas and the month, weekday and saint tables.
      InitializePageCommand();
      break;
    case WM_NCACTIVATE:
      if (wParam == 0) {
        state.savedFocus = GetFocus();
      } else if (state.savedFocus != nullptr) {
        SetFocus(state.savedFocus);
        state.savedFocus = nullptr;
      }
      break;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      // 0: a click; 1: an accelerator key.
      if (code != 0 && code != 1) {
        break;
      }
      if (id == IDC_QUIT) {
        EndMainDialog(0);
      } else if (id == IDC_CREATE) {
        CreatePage(dialog);
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

void CreatePage(HWND dialog) {
  HWND picker = GetDlgItem(dialog, IDC_DATE_PICKER);
  std::wstring shown;
  if (picker != nullptr) {
    const int length = GetWindowTextLengthW(picker);
    if (length > 0) {
      shown.resize(static_cast<std::size_t>(length) + 1);
      const int copied = GetWindowTextW(picker, shown.data(), length + 1);
      shown.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    }
  }
  // The portable command: file stem, date check, drawing and saving in the
  // current folder.
  const PageOutcome outcome = WriteDayPageFromText(WideToCp1252(shown), std::filesystem::path());
  const std::wstring message = Utf8ToWide(outcome.message);
  const std::wstring title = Cp1252ToWide(kReportTitle);
  const UINT style = outcome.status == PageStatus::kSaved ? MB_OK : MB_OK | MB_ICONERROR;
  // No owner: the dialog stays usable while the box is open.
  MessageBoxW(nullptr, message.c_str(), title.c_str(), style);
}

}  // namespace trevalda
