#!/usr/bin/env bash
# Regenerates the README's pictures from the real program's output:
#   docs/sample-page.png     the page for 7 December 2026 (the PNG the tool writes)
#   docs/yearbook-pages.png  two facing sheets of the yearbook PDF, rendered by poppler
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-deps.sh" --tools
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$here/docs"

"$here/scripts/trevalda.sh" 07/12/2026 --format png -o "$work" >/dev/null
cp "$work/07-12-2026.png" "$here/docs/sample-page.png"

"$here/scripts/trevalda.sh" 05/12/2026 --to 06/12/2026 --format pdf -o "$work/dos.pdf" >/dev/null
pdftoppm -r 48 -png "$work/dos.pdf" "$work/sheet"
convert "$work"/sheet-1.png "$work"/sheet-2.png -bordercolor '#999999' -border 1 +append \
  -strip "$here/docs/yearbook-pages.png"
echo "docs/sample-page.png docs/yearbook-pages.png"
