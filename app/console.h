// The terminal the command line writes to. Messages are UTF-8; on Windows the
// console is switched to UTF-8 so accents show as they should.
#pragma once

namespace trevalda {

// Prepares standard output and error for UTF-8 text. Call once at start.
void PrepareConsole();

// Whether standard error is a terminal (where a progress bar makes sense).
bool ErrorIsTerminal();

}  // namespace trevalda
