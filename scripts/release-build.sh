#!/usr/bin/env bash
# A plain Release build, as a packager makes it (-O3, the defaults of
# CMakeLists.txt), with warnings as errors so that no new one slips in, and
# its tests.
#   scripts/release-build.sh          GCC, in build/release
#   scripts/release-build.sh clang    clang, in build/release-clang
set -euo pipefail
cd "$(dirname "$0")/.."
compiler="${1:-gcc}"
case "$compiler" in
  gcc) build=build/release; flags=() ;;
  clang)
    build=build/release-clang
    flags=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    scripts/setup-deps.sh --fuzz
    ;;
  *) echo "release-build: compilador desconocido: $compiler (gcc o clang)" >&2; exit 2 ;;
esac
scripts/setup-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTREVALDA_WERROR=ON \
  "${flags[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
