#include "text/windows_api.h"

#include <shellapi.h>  // after <windows.h>, which it needs

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "app/console.h"
#include "text/wide_text.h"

namespace trevalda {

// The narrow arguments are in the ANSI code page and lose what it cannot
// hold; the UTF-16 command line has everything.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  }
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(WideToUtf8(wide[i]));
  LocalFree(wide);
  return args;
}

std::filesystem::path PathFromArgument(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
}

// The runtime turns ERROR_NO_DATA (the pipe is being closed) into EINVAL,
// the only way a write of the program's own text to standard output gets it.
bool ReaderWentAway(int error) { return error == EPIPE || error == EINVAL; }

void UseBinaryStandardInput() { _setmode(_fileno(stdin), _O_BINARY); }

// Standard handles are not reused by files the program opens.
bool OutputWasClosed() { return false; }

namespace {

void (*stopCallback)(int) = nullptr;

// The runtime puts the default action back before it calls a handler; the
// handler arms itself again at once, so a second Ctrl-C cannot end the
// process half-way through a save.
extern "C" void OnStopSignal(int signal) {
  std::signal(signal, OnStopSignal);
  stopCallback(signal);
}

}  // namespace

void CatchStopSignals(void (*onStop)(int)) {
  stopCallback = onStop;
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGBREAK, OnStopSignal);
}

bool ErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace trevalda
