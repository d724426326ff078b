// The entry point of trevalda-agenda.exe: COM for the shell's pickers, the
// common controls, then the agenda dialog.
#include "text/windows_api.h"

#include <objbase.h>

#include "app/agenda_dialog.h"
#include "app/main_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  trevalda::PrepareCommonControls();
  const int result = trevalda::ShowAgendaDialog(instance);
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
