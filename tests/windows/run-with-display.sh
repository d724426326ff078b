#!/usr/bin/env bash
# Runs a cross-built Windows test program under Wine on a virtual X display.
#
#   tests/windows/run-with-display.sh PROGRAM.exe [ARGS...]
#
# The programs open real windows, so they get an Xvfb display (xvfb-run) and
# a Wine prefix of their own next to the program (wine-prefix-ui; set
# TREVALDA_UI_WINEPREFIX to use another). Arguments that are absolute paths
# of existing files are handed over as Windows paths (Z: is the root of the
# Unix file system in a default prefix). Wine's processes of that prefix are
# ended when the program is done, whatever the outcome.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"

if [ "$#" -lt 1 ]; then
  echo "run-with-display: falta el programa" >&2
  exit 2
fi
program="$1"
shift
for tool in xvfb-run wine wineserver; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run-with-display: falta $tool (scripts/setup-deps.sh --windows)" >&2
    exit 2
  fi
done

export TREVALDA_WINEPREFIX="${TREVALDA_UI_WINEPREFIX:-$(cd "$(dirname "$program")" && pwd)/wine-prefix-ui}"
export WINEPREFIX="$TREVALDA_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"

args=()
for arg in "$@"; do
  if [[ "$arg" == /* && -e "$arg" ]]; then
    args+=("Z:${arg//\//\\}")
  else
    args+=("$arg")
  fi
done

xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  "$repo/cmake/wine-run.sh" "$program" "${args[@]}"
status=$?
wineserver -k >/dev/null 2>&1 || true
exit "$status"
