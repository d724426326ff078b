#!/usr/bin/env bash
# Eight `trevalda` processes write the same date into one folder at once,
# round after round. Every process must succeed; the page must always be
# whole (a reader polling it meanwhile never sees a part of one) and equal
# to the page written alone; no temporary file may remain.
#   concurrent_writers_test.sh TREVALDA WORK_DIR [ROUNDS] [WRITERS]
set -euo pipefail
trevalda="$1"
work="$2/concurrent_writers-$$"
rounds="${3:-10}"
writers="${4:-8}"
rm -rf "$work"
mkdir -p "$work/ref" "$work/out"
reader=
cleanup() {
  [ -z "$reader" ] || kill "$reader" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FALLO: $*" >&2; failures=$((failures + 1)); }

page=07-12-2026.bmp
size=2677286
"$trevalda" 07/12/2026 -o "$work/ref" >/dev/null
[ "$(stat -c %s "$work/ref/$page")" -eq "$size" ] || fail "la hoja de referencia no mide $size bytes"
[ "$(head -c 2 "$work/ref/$page")" = "BM" ] || fail "la hoja de referencia no empieza por BM"

# The reader: whenever the page exists, it is whole.
(
  while :; do
    if seen=$(stat -c %s "$work/out/$page" 2>/dev/null) && [ "$seen" -ne "$size" ]; then
      echo "$seen" >>"$work/partial"
    fi
  done
) &
reader=$!

for round in $(seq 1 "$rounds"); do
  # Round 1 starts from an empty folder, later rounds replace the page.
  pids=()
  for w in $(seq 1 "$writers"); do
    "$trevalda" 07/12/2026 -o "$work/out" >"$work/stdout.$w" 2>"$work/stderr.$w" &
    pids+=("$!")
  done
  for w in $(seq 1 "$writers"); do
    if ! wait "${pids[$((w - 1))]}"; then
      fail "ronda $round, proceso $w: $(cat "$work/stderr.$w")"
    fi
    grep -qx "Grabado 07-12-2026" "$work/stdout.$w" || fail "ronda $round, proceso $w: no dice Grabado"
  done
  cmp -s "$work/ref/$page" "$work/out/$page" || fail "ronda $round: la hoja no es la escrita a solas"
  listing="$(ls -A "$work/out")"
  [ "$listing" = "$page" ] || fail "ronda $round: la carpeta contiene $(echo "$listing" | tr '\n' ' ')"
done

kill "$reader" 2>/dev/null || true
wait "$reader" 2>/dev/null || true
reader=
[ ! -s "$work/partial" ] || fail "el lector vio hojas a medias: $(sort -u "$work/partial" | tr '\n' ' ')"

[ "$failures" -eq 0 ] || exit 1
echo "concurrent_writers_test: bien ($rounds rondas de $writers procesos)"
