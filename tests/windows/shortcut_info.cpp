// Prints what a Windows shortcut (.lnk) holds, for the installer test, one
// item per line in UTF-8:
//   target, working folder as stored, working folder with the environment
//   variables expanded, and the user's Documents folder.
//
//   shortcut_info.exe <file.lnk>     exit 0, or 1 when the link cannot be read
#include <cstdio>
#include <string>

#include "text/wide_text.h"
#include "text/windows_api.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

void PrintLine(const std::wstring& wide) {
  std::string utf8 = trevalda::WideToUtf8(wide);
  utf8.push_back('\n');
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

int Inspect(const wchar_t* link) {
  IShellLinkW* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell)))) {
    return 1;
  }
  IPersistFile* file = nullptr;
  int status = 1;
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t target[MAX_PATH] = L"";
    wchar_t folder[MAX_PATH] = L"";
    wchar_t expanded[MAX_PATH] = L"";
    wchar_t documents[MAX_PATH] = L"";
    if (SUCCEEDED(file->Load(link, STGM_READ)) &&
        SUCCEEDED(shell->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(shell->GetWorkingDirectory(folder, MAX_PATH)) &&
        ExpandEnvironmentStringsW(folder, expanded, MAX_PATH) != 0 &&
        SUCCEEDED(
            SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents))) {
      PrintLine(target);
      PrintLine(folder);
      PrintLine(expanded);
      PrintLine(documents);
      status = 0;
    }
    file->Release();
  }
  shell->Release();
  return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  const int status = Inspect(argv[1]);
  CoUninitialize();
  return status;
}
