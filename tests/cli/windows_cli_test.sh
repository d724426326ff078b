#!/usr/bin/env bash
# trevalda-cli.exe under Wine: what the user typed comes back escaped and as
# typed (UTF-16 arguments, UTF-8 messages), a device name is never replaced,
# and an empty value is refused.
#   tests/cli/windows_cli_test.sh WINE_RUNNER PATH/TO/trevalda-cli.exe
set -uo pipefail
runner="$(realpath "$1")"
tool="$(realpath "$2")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/cli/checks.sh
source "$(dirname "$(realpath "${BASH_SOURCE[0]}")")/checks.sh"
run() {  # run ARGS...: sets rc and err (CR removed)
  (cd "$work" && "$runner" "$tool" "$@" >"$work/.out" 2>"$work/.err")
  rc=$?
  err="$(tr -d '\r' <"$work/.err")"
}

run 07/12/2026 -o $'\e]0;HACKED\a日本\\missing'
check "missing folder: exit 1" test "$rc" -eq 1
check "escaped, as typed" grep -qF '\e]0;HACKED\x07日本\missing\07-12-2026.bmp' <<<"$err"
check "no raw control byte" test "$(tr -d '\n\040-\176\200-\377' <<<"$err" | wc -c)" -eq 0
run 07/12/2026 --format pdf -o NUL
check "a PDF onto the NUL device: exit 1" test "$rc" -eq 1 -a -n "$err"
# Windows drops the dots and blanks a name ends with: the notice names the
# file it saved, the folder part as typed.
mkdir -p "$work/sub"
for typed in 'x.pdf.' 'sub/y.pdf. .'; do
  (cd "$work" && "$runner" "$tool" 07/12/2026 --format pdf -o "$typed" >"$work/.out" 2>"$work/.err")
  saved="${typed%%.pdf*}.pdf"
  check "'$typed': saved as $saved" test "$?" -eq 0 -a -f "$work/$saved"
  check "'$typed': reported as $saved ($(cat "$work/.out"))" \
    test "$(tr -d '\r' <"$work/.out")" = "Grabado $saved (1 página)"
done
rm -rf "$work/x.pdf" "$work/sub"
run 07/12/2026 --to ""
check "empty --to: exit 2" test "$rc" -eq 2 -a -n "$err"
check "nothing written" test -z "$(ls "$work")"

# A reader that stops early ends a printing run quietly, as on Linux.
first="$(cd "$work" && "$runner" "$tool" --describe 01/01/2020 --to 31/12/2029 2>"$work/.err" | head -1)"
status=${PIPESTATUS[0]}
check "a reader that stops early: the first line" test "$(tr -d '\r' <<<"$first")" = Enero
check "a reader that stops early: no message ($(cat "$work/.err"))" test ! -s "$work/.err"
check "a reader that stops early: no failure ($status)" test "$status" -ne 1 -a "$status" -ne 2

finish_checks
