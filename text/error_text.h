// The reason of a failed system call as the user reads it: Spanish, UTF-8.
//
// The common reasons (a missing file, no permission, a loop of symbolic
// links, a full disk ...) have the program's own text, for the C library's
// error numbers and, on Windows, for the system's own error codes; any other
// reason is "error del sistema" with its number in brackets, never the
// system's English text. Errors of the program's own categories keep their
// message, which is Spanish already.
#pragma once

#include <optional>
#include <string>
#include <system_error>

namespace trevalda {

std::string ErrorText(const std::error_code& error);

// The text of a C library error number (errno); nothing when the table has
// none.
std::optional<std::string> ErrnoText(int number);

// The text of an error code of std::system_category() (errno values on
// POSIX, GetLastError() codes on Windows); nothing when the table has none.
// Platform-specific (error_text_posix.cpp, error_text_windows.cpp).
std::optional<std::string> SystemErrorText(int code);

}  // namespace trevalda
