#!/usr/bin/env bash
# A plain Release build, as a packager makes it (-O3, the defaults of
# CMakeLists.txt), with warnings as errors so that no new one slips in.
#   scripts/release-build.sh          GCC, in build/release, and its tests
#   scripts/release-build.sh clang    clang, in build/release-clang, and its tests
#   scripts/release-build.sh mingw    MinGW-w64, in build/release-mingw; built
#                                     only (the "windows" preset runs the tests
#                                     under Wine)
set -euo pipefail
cd "$(dirname "$0")/.."
compiler="${1:-gcc}"
run_tests=1
case "$compiler" in
  gcc)
    build=build/release
    flags=()
    scripts/setup-deps.sh
    ;;
  clang)
    build=build/release-clang
    flags=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    scripts/setup-deps.sh --fuzz
    ;;
  mingw)
    build=build/release-mingw
    flags=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
    run_tests=0
    scripts/setup-deps.sh --windows
    ;;
  *) echo "release-build: compilador desconocido: $compiler (gcc, clang o mingw)" >&2; exit 2 ;;
esac
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTREVALDA_WERROR=ON "${flags[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
if [ "$run_tests" -eq 1 ]; then
  ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
fi
