#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh               the Linux build (preset "linux")
#   scripts/test.sh linux-asan    the same tests under AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-linux}"
scripts/setup-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
