#!/usr/bin/env bash
# Regenerates the README's pictures from the real program's output:
#   docs/sample-page.png     the page for 7 December 2026 (the PNG the tool writes)
#   docs/yearbook-pages.png  the index sheet and a day of the yearbook PDF, rendered by poppler
#   docs/tablet-page.png     a day of the tablet PDF (--paper tablet) beside its index
#   docs/booklet-sheet.png   both sides of the first sheet of the booklet PDF (--booklet)
#   docs/agenda-page.png     the top of 12 October 2026 with --holidays and the two example
#                            date files in docs/ (a festivo and personal dates)
#   docs/modern-page.png     the same day as a modern page (--style modern --hours 8-21)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-deps.sh" --tools
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$here/docs"

"$here/scripts/trevalda.sh" 07/12/2026 --format png -o "$work" >/dev/null
cp "$work/07-12-2026.png" "$here/docs/sample-page.png"

render() {  # render PDF PAGE DPI OUT: one page as OUT.png
  pdftoppm -r "$3" -f "$2" -l "$2" -singlefile -png "$1" "$4"
}

side_by_side() {  # side_by_side OUT IN...: the pictures in a row, each framed in grey
  local out="$1"
  shift
  convert "$@" -bordercolor '#999999' -border 1 -bordercolor white -border 6 +append -strip "$out"
}

"$here/scripts/trevalda.sh" --year 2027 --format pdf -o "$work/a4.pdf" >/dev/null
render "$work/a4.pdf" 1 48 "$work/a4-1"
render "$work/a4.pdf" 2 48 "$work/a4-2"
side_by_side "$here/docs/yearbook-pages.png" "$work"/a4-1.png "$work"/a4-2.png

"$here/scripts/trevalda.sh" --year 2027 --format pdf --paper tablet -o "$work/tablet.pdf" >/dev/null
render "$work/tablet.pdf" 1 60 "$work/tablet-1"
render "$work/tablet.pdf" 2 60 "$work/tablet-2"
side_by_side "$here/docs/tablet-page.png" "$work"/tablet-1.png "$work"/tablet-2.png

"$here/scripts/trevalda.sh" --year 2027 --format pdf --booklet --binding-margin 8 \
  -o "$work/booklet.pdf" >/dev/null
render "$work/booklet.pdf" 1 40 "$work/booklet-1"
render "$work/booklet.pdf" 2 40 "$work/booklet-2"
convert "$work"/booklet-1.png "$work"/booklet-2.png -bordercolor '#999999' -border 1 \
  -bordercolor white -border 6 -append -strip "$here/docs/booklet-sheet.png"

"$here/scripts/trevalda.sh" 12/10/2026 --holidays --dates "$here/docs/ejemplo-fechas.txt" \
  --dates "$here/docs/ejemplo-calendario.ics" --format png -o "$work" >/dev/null
convert "$work/12-10-2026.png" -crop 794x260+0+0 +repage -bordercolor '#999999' -border 1 \
  -strip "$here/docs/agenda-page.png"
mkdir "$work/modern"
"$here/scripts/trevalda.sh" 12/10/2026 --style modern --hours 8-21 --holidays \
  --dates "$here/docs/ejemplo-fechas.txt" --dates "$here/docs/ejemplo-calendario.ics" \
  --format png -o "$work/modern" >/dev/null
convert "$work/modern/12-10-2026.png" -bordercolor '#999999' -border 1 -strip \
  "$here/docs/modern-page.png"
echo "docs/sample-page.png docs/yearbook-pages.png docs/tablet-page.png docs/booklet-sheet.png" \
  "docs/agenda-page.png docs/modern-page.png"
