#include <unistd.h>

#include "app/console.h"

namespace trevalda {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// File names here are bytes; they are kept exactly as typed.
std::filesystem::path PathFromArgument(std::string_view utf8) {
  return std::filesystem::path(utf8);
}

void PrepareConsole() {}  // terminals here take UTF-8 as it is

bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace trevalda
