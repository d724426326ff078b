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

// Prepares standard output and error for UTF-8 text. On POSIX a standard
// stream that is closed is opened on /dev/null, so that no file the program
// opens later takes its place (and gets the messages), and SIGXFSZ is
// ignored, so a file-size limit makes a write fail with EFBIG, to be
// reported, instead of killing the process. Call once at start.
void PrepareConsole();

// Whether a failed write to standard output with the C library's `error`
// (errno) means that its reader went away (a pipe closed by `| head`): EPIPE,
// and on Windows also the EINVAL its runtime reports for a closed pipe.
bool ReaderWentAway(int error);

// Whether standard output was closed when the program started.
bool OutputWasClosed();

// For a run that writes files: the signals that ask a program to end (INT
// and, on POSIX, TERM and HUP; Ctrl-Break on Windows) call `onStop` with the
// signal's number instead, however many arrive and in whatever order (the
// program ends as the first one asked, never half-way through a save). A signal
// ignored when the program started stays ignored (nohup's HUP). SIGPIPE
// (POSIX) is ignored: a notice nobody reads must not kill a run whose job
// is the files. (A printing run keeps SIGPIPE, and ends quietly when its
// reader goes away, as filters do.)
void CatchStopSignals(void (*onStop)(int));

// Standard input as bytes, as they come (no CR LF translation on Windows).
// Call before reading it.
void UseBinaryStandardInput();

// Whether standard error is a terminal (where a progress bar makes sense).
bool ErrorIsTerminal();

}  // namespace trevalda
