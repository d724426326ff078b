#!/usr/bin/env bash
# Installs what is missing, builds the command-line tool and runs it with the
# given arguments: without any, it writes today's page into the current
# folder.
#   scripts/trevalda.sh                 today's page
#   scripts/trevalda.sh 07/12/2026      the page for 7 December 2026
#   scripts/trevalda.sh --help          every option
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-deps.sh"
if [ ! -f "$here/build/linux/CMakeCache.txt" ]; then
  cmake --preset linux -S "$here" >/dev/null
fi
cmake --build "$here/build/linux" --target trevalda_cli -j "$(nproc)" >/dev/null
exec "$here/build/linux/app/trevalda" "$@"
