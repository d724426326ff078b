#!/usr/bin/env bash
# TERM, HUP and INT stop `trevalda` cleanly: it finishes or abandons the page
# in hand, leaves no temporary file, keeps an old page whole and exits with
# 128 + the signal's number.
#   signals_test.sh TREVALDA WORK_DIR
set -uo pipefail
trevalda="$(realpath "$1")"
work="$2/signals-$$"
rm -rf "$work"
mkdir -p "$work"
# Only this shell cleans up, not a child that a signal reaches before exec.
trap '[ "$BASHPID" != $$ ] || rm -rf "$work"' EXIT
failures=0
fail() { echo "FALLO: $*" >&2; failures=$((failures + 1)); }
size=2677286
printf old >"$work/old"

# No hidden (temporary) file, and every page in the folder whole.
clean() {  # clean FOLDER WHAT
  local leftovers
  leftovers="$(find "$1" -mindepth 1 -maxdepth 1 -name '.*')"
  [ -z "$leftovers" ] || fail "$2: queda $leftovers"
  for page in "$1"/*.bmp; do
    [ -e "$page" ] || continue
    [ "$(stat -c %s "$page")" -eq "$size" ] || cmp -s "$page" "$work/old" || fail "$2: $page a medias"
  done
}

# Returns once process $1 runs the tool (or has ended): a signal that
# reaches the shell's child before its exec is not the tool's to handle.
running_tool() {
  for _ in $(seq 1 2000); do
    [ "$(readlink "/proc/$1/exe" 2>/dev/null)" != "$trevalda" ] || return 0
    [ -n "$(tr -d '\0' 2>/dev/null <"/proc/$1/cmdline")" ] || return 0
    sleep 0.001
  done
}

# Returns once process $1 catches TERM (its stop handler is in place) or
# has ended.
catching_stops() {
  local caught
  for _ in $(seq 1 4000); do
    caught="$(sed -n 's/^SigCgt:\s*//p' "/proc/$1/status" 2>/dev/null)"
    [ -n "$caught" ] || return 0
    (((0x$caught >> 14) & 1)) && return 0
    sleep 0.001
  done
}

# A year of pages, stopped once the first page is there: the exit code, the
# message, whole pages only.
for signal in TERM HUP INT; do
  dir="$(mktemp -d -p "$work")"
  # A background job's INT starts ignored; the tool keeps an ignored signal
  # ignored, so give it the default back.
  env -C "$dir" --default-signal "$trevalda" --year 2026 >/dev/null 2>"$dir.err" &
  pid=$!
  for _ in $(seq 1 2000); do
    [ -z "$(ls "$dir")" ] || break
    sleep 0.005
  done
  kill "-$signal" "$pid"
  wait "$pid"
  status=$?
  expected=$((128 + $(kill -l "$signal")))
  [ "$status" -eq "$expected" ] || fail "$signal en una serie: código $status, no $expected"
  grep -q "interrumpido" "$dir.err" || fail "$signal en una serie: no dice que se interrumpió"
  clean "$dir" "$signal en una serie"
done

# One page, a PNG range and a PDF, each over old files and signalled at a
# moment left to chance: whatever the moment, no temporary file and no page
# that is not whole; the code is the save's (0) or the signal's.
for run in $(seq 1 24); do
  case $((run % 3)) in
    0) signal=TERM args=(07/12/2026) ;;
    1) signal=HUP args=(06/12/2026 --to 07/12/2026 --format png) ;;
    2) signal=INT args=(06/12/2026 --to 09/12/2026 --format pdf -o libro.pdf) ;;
  esac
  dir="$(mktemp -d -p "$work")"
  printf old >"$dir/07-12-2026.bmp"
  printf old >"$dir/libro.pdf"
  env -C "$dir" --default-signal "$trevalda" "${args[@]}" >/dev/null 2>&1 &
  pid=$!
  running_tool "$pid"
  sleep "0.0$((run % 4))$((RANDOM % 10))"
  kill "-$signal" "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  status=$?
  case "$status" in
    0 | $((128 + $(kill -l "$signal")))) ;;
    *) fail "$signal, ${args[*]}: código $status" ;;
  esac
  clean "$dir" "$signal, ${args[*]}"
  if ! cmp -s "$dir/libro.pdf" "$work/old" && [ "$(head -c 5 "$dir/libro.pdf")" != "%PDF-" ]; then
    fail "$signal, ${args[*]}: el PDF no es ni el viejo ni uno nuevo"
  fi
done

# Two stop signals at once (a terminal closing sends HUP, then a TERM
# follows): the second must not kill the run half-way through; the run ends
# as the first asked, with the message, and leaves no temporary file.
for run in $(seq 1 12); do
  case $((run % 4)) in
    0) signals=(HUP TERM) args=(--year 2027 --format pdf -o libro.pdf) ;;
    1) signals=(INT TERM) args=(07/12/2026) ;;
    2) signals=(TERM HUP) args=(01/12/2026 --to 31/12/2026) ;;
    3) signals=(INT HUP) args=(--year 2027 --format pdf -o libro.pdf) ;;
  esac
  dir="$(mktemp -d -p "$work")"
  printf old >"$dir/07-12-2026.bmp"
  printf old >"$dir/libro.pdf"
  env -C "$dir" --default-signal "$trevalda" "${args[@]}" >/dev/null 2>"$dir.err" &
  pid=$!
  running_tool "$pid"
  catching_stops "$pid"
  sleep "0.0$((RANDOM % 3))"
  kill "-${signals[0]}" "$pid" 2>/dev/null
  kill "-${signals[1]}" "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  status=$?
  what="${signals[*]}, ${args[*]}"
  if [ "$status" -ne 0 ]; then
    first=$((128 + $(kill -l "${signals[0]}")))
    second=$((128 + $(kill -l "${signals[1]}")))
    [ "$status" -eq "$first" ] || [ "$status" -eq "$second" ] || fail "$what: código $status"
    grep -q "interrumpido" "$dir.err" || fail "$what: terminó sin decir que se interrumpió ($status)"
  fi
  clean "$dir" "$what"
  if ! cmp -s "$dir/libro.pdf" "$work/old" && [ "$(head -c 5 "$dir/libro.pdf")" != "%PDF-" ]; then
    fail "$what: el PDF no es ni el viejo ni uno nuevo"
  fi
done

[ "$failures" -eq 0 ] || exit 1
echo "signals_test: bien"
