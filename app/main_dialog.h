// The Windows front end: the main dialog, its message handler and the
// modal display that runs it.
//
// The dialog "Trevalda" holds a date picker, a description label on a red
// ground and the buttons "Salir" and "Crear". It is built from an in-memory
// extended dialog template; its controls are created afterwards as child
// windows. "Crear" draws the page of the picked date with the portable page
// command (app/create_page.h), saves it in the current folder and reports
// the outcome in a message box titled "Programador".
#pragma once

#include "text/windows_api.h"

#include <cstdint>

namespace trevalda {

// Control identifiers of the main dialog.
inline constexpr int IDC_DATE_PICKER = 1001;
inline constexpr int IDC_DESCRIPTION = 1002;
inline constexpr int IDC_QUIT = 1003;
inline constexpr int IDC_CREATE = 1004;

// Loads COMCTL32.DLL by name and registers the common-control classes the
// dialog needs (InitCommonControlsEx, or InitCommonControls on a system that
// lacks it). Without the library nothing is registered and nothing fails.
void PrepareCommonControls();

// Builds the main dialog, runs it modally until it ends and releases its
// control fonts. Returns the dialog's result (0).
std::int32_t ShowMainDialog(HWND owner);

// Gives control `controlId` of `dialog` the font registered as `fontNumber`
// (0 means font 1), making its platform font on first use with the height
// -round(LOGPIXELSY x points / 72) of the control's screen context.
void SetControlFont(HWND dialog, int controlId, std::int32_t fontNumber);

// Ends the main dialog with `result`: stores it for ShowMainDialog, sends
// WM_CLOSE and destroys the window, which ends the modal display.
void EndMainDialog(std::int32_t result);

// The message handler of the main dialog. Always returns 0, so the dialog
// engine and the platform's default processing still run for every message.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// "Crear": reads the picker's text, draws and saves the page in the current
// folder and shows the outcome ("Grabado <stem>", or what went wrong).
void CreatePage(HWND dialog);

}  // namespace trevalda
