#!/usr/bin/env bash
# Installs what is missing, builds and runs the tests.
#   scripts/test.sh               every test: the Linux build, then the Windows
#                                 build under Wine (the dialog tests on Xvfb)
#   scripts/test.sh linux         only the Linux build (preset "linux")
#   scripts/test.sh linux-asan    the Linux tests under AddressSanitizer and UBSan
#   scripts/test.sh windows       only the Windows build under Wine
set -euo pipefail
cd "$(dirname "$0")/.."

run_preset() {
  local preset="$1"
  if [ "$preset" = windows ]; then
    scripts/build-windows.sh --test
    return
  fi
  scripts/setup-deps.sh
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset" -j "$(nproc)"
}

if [ "$#" -eq 0 ]; then
  run_preset linux
  run_preset windows
else
  for preset in "$@"; do
    run_preset "$preset"
  done
fi
