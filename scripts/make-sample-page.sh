#!/usr/bin/env bash
# Regenerates docs/sample-page.png, the README's picture of a page, from the
# real program's output for 7 December 2026.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-deps.sh" --tools
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$here/scripts/trevalda.sh" 07/12/2026 -o "$work" >/dev/null
mkdir -p "$here/docs"
convert "$work/07-12-2026.bmp" -strip "$here/docs/sample-page.png"
echo "docs/sample-page.png"
