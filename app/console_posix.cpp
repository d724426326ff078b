#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "app/console.h"

namespace trevalda {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

bool outputWasClosed = false;
void (*stopCallback)(int) = nullptr;

// Every stop signal goes to the program: while the handler runs the others
// are blocked (sa_mask), and the default action is never put back, so a
// second signal cannot kill a save half-way through.
extern "C" void OnStopSignal(int signal) { stopCallback(signal); }

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// File names here are bytes; they are kept exactly as typed.
std::filesystem::path PathFromArgument(std::string_view utf8) {
  return std::filesystem::path(utf8);
}

// Terminals here take UTF-8 as it is; only closed streams need care. A
// file-size limit is a write error to report, not a reason to die.
void PrepareConsole() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, nullptr);
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // The lowest free descriptor: this one, as the ones below are open.
      ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
      if (fd == STDOUT_FILENO) outputWasClosed = true;
    }
  }
}

bool OutputWasClosed() { return outputWasClosed; }

bool ReaderWentAway(int error) { return error == EPIPE; }

void UseBinaryStandardInput() {}  // bytes already

bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void CatchStopSignals(void (*onStop)(int)) {
  stopCallback = onStop;
  struct sigaction stop {};
  stop.sa_handler = OnStopSignal;
  stop.sa_flags = SA_RESTART;
  sigemptyset(&stop.sa_mask);
  for (const int signal : kStopSignals) sigaddset(&stop.sa_mask, signal);
  for (const int signal : kStopSignals) {
    // One ignored on entry stays ignored: nohup's HUP, a background job's INT.
    struct sigaction inherited {};
    if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &stop, nullptr);
  }
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
}

}  // namespace trevalda
