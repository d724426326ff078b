// The command line's edges: its arguments and the terminal it writes to.
// Arguments and messages are UTF-8; on Windows the arguments are read as
// UTF-16 and the console is switched to UTF-8 so accents show as they should.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace trevalda {

// The arguments after the program name, UTF-8.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// A path typed on the command line (UTF-8).
std::filesystem::path PathFromArgument(std::string_view utf8);

// Prepares standard output and error for UTF-8 text. Call once at start.
void PrepareConsole();

// Whether standard error is a terminal (where a progress bar makes sense).
bool ErrorIsTerminal();

}  // namespace trevalda
