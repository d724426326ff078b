#!/usr/bin/env bash
# trevalda-cli.exe --format png under Wine: one page and a range, each PNG
# decoded on this side (ImageMagick, over libpng) and compared pixel by pixel
# with the BMP of the same day.
#   cli_png_test.sh WINE-RUNNER TREVALDA-CLI.EXE WORK-FOLDER
set -uo pipefail
runner="$1"
tool="$2"
work="$3/cli-png"
rm -rf "$work"
mkdir -p "$work/bmp" "$work/png" "$work/one"
# shellcheck source=tests/cli/checks.sh
source "$(dirname "$(realpath "${BASH_SOURCE[0]}")")/../cli/checks.sh"
same_pixels() {  # same_pixels A B: no pixel differs
  local differing
  differing="$(compare -metric AE "$1" "$2" null: 2>&1)"
  [ "$differing" = 0 ] || { echo "  $1: $differing pixels differ"; return 1; }
}

(cd "$work/one" && "$runner" "$tool" 06/12/2026 --format png >"$work/out" 2>&1)
check "one page: exit 0" test $? -eq 0
check "one page: Grabado" grep -q "Grabado 06-12-2026" "$work/out"
check "one page: PNG signature" test "$(head -c 8 "$work/one/06-12-2026.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a
"$runner" "$tool" 28/02/2024 --to 01/03/2024 --format png -o "$work/png" >/dev/null 2>&1
check "range: exit 0" test $? -eq 0
"$runner" "$tool" 28/02/2024 --to 01/03/2024 -o "$work/bmp" >/dev/null 2>&1
(cd "$work/bmp" && "$runner" "$tool" 06/12/2026 >/dev/null 2>&1)
check "range: one PNG per day" test "$(ls "$work/png" | tr '\n' ' ')" = "01-03-2024.png 28-02-2024.png 29-02-2024.png "
for stem in 28-02-2024 29-02-2024 01-03-2024; do
  check "range: $stem.png holds the BMP's pixels" same_pixels "$work/png/$stem.png" "$work/bmp/$stem.bmp"
done
check "one page: holds the BMP's pixels" same_pixels "$work/one/06-12-2026.png" "$work/bmp/06-12-2026.bmp"
check "8-bit RGB, no alpha" test "$(identify -format '%[channels] %z %w %h' "$work/one/06-12-2026.png")" = "srgb 8 794 1123"
check "one page: 3780 pixels per metre (96 dpi)" \
  test "$(png_density "$work/one/06-12-2026.png")" = "3780 3780 1"
finish_checks
