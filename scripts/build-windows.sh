#!/usr/bin/env bash
# Builds the Windows program with MinGW-w64 and, on request, tests or runs it
# under Wine.
#
#   scripts/build-windows.sh          install what is missing, build (preset "windows")
#   scripts/build-windows.sh --test   also run every test under Wine (unit tests and
#                                     the dialog tests on a virtual display)
#   scripts/build-windows.sh --run    also start trevalda.exe under Wine on this
#                                     display; pages land in the current folder
#
# The programs are build/windows/app/trevalda.exe (the dialog) and
# build/windows/app/trevalda-cli.exe (the command line). Both are linked
# statically and need no DLLs beside Windows' own.
set -euo pipefail
here="$(pwd)"
cd "$(dirname "$0")/.."
repo="$(pwd)"

test=0
run=0
for arg in "$@"; do
  case "$arg" in
    --test) test=1 ;;
    --run) run=1 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "build-windows: opción desconocida: $arg" >&2; exit 2 ;;
  esac
done

scripts/setup-deps.sh --windows
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
if [ "$test" -eq 1 ]; then
  ctest --preset windows -j "$(nproc)"
fi
if [ "$run" -eq 1 ]; then
  cd "$here"
  exec "$repo/cmake/wine-run.sh" "$repo/build/windows/app/trevalda.exe"
fi
