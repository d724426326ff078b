// The entry point of trevalda.exe: prepare the common controls, run the
// main dialog, exit with code 0.
#include "app/main_dialog.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  trevalda::PrepareCommonControls();
  trevalda::ShowMainDialog(nullptr);
  return 0;
}
