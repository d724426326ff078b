#include <unistd.h>

#include "app/console.h"

namespace trevalda {

void PrepareConsole() {}  // terminals here take UTF-8 as it is

bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace trevalda
