// On POSIX the system's error codes are the C library's error numbers.
#include "text/error_text.h"

namespace trevalda {

std::optional<std::string> SystemErrorText(int code) { return ErrnoText(code); }

}  // namespace trevalda
