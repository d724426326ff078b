#!/usr/bin/env bash
# Runs a Windows program under Wine for the cross build (the CMake emulator).
#
#   cmake/wine-run.sh PROGRAM.exe [ARGS...]
#
# Wine's own diagnostics are off (WINEDEBUG=-all unless set). The Wine prefix
# is $TREVALDA_WINEPREFIX when set; otherwise a throw-away prefix in the build
# folder that holds the program (the nearest folder above it with a
# CMakeCache.txt), so builds never touch ~/.wine. The prefix is made once,
# under a lock, so parallel tests do not race to create it.
set -euo pipefail

if [ "$#" -lt 1 ]; then
  echo "wine-run: falta el programa" >&2
  exit 2
fi

prefix="${TREVALDA_WINEPREFIX:-}"
if [ -z "$prefix" ]; then
  dir="$(cd "$(dirname "$1")" 2>/dev/null && pwd || pwd)"
  while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do
    dir="$(dirname "$dir")"
  done
  if [ -f "$dir/CMakeCache.txt" ]; then
    prefix="$dir/wine-prefix"
  else
    prefix="${XDG_CACHE_HOME:-$HOME/.cache}/trevalda/wine-prefix"
  fi
fi

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No "install Mono/Gecko?" questions while the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine_cmd="$(command -v wine || true)"
if [ -z "$wine_cmd" ]; then
  echo "wine-run: wine no está instalado (scripts/setup-deps.sh --windows)" >&2
  exit 2
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine_cmd" wineboot --init >/dev/null 2>&1 || true
      wineserver --wait >/dev/null 2>&1 || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec "$wine_cmd" "$@"
