// <windows.h> the way every Windows-only file of the program takes it: without
// the min/max macros, which clash with the standard library, and without the
// rarely used parts of the API. Included only by files CMake builds for
// Windows.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
