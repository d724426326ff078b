#!/usr/bin/env bash
# Under a memory limit too small for the run (ulimit -v), the command line
# ends with exit 1 or 2 and a Spanish message, never an abort or a signal,
# and what it saved before running out are the first pages of the range,
# whole, with no temporary file left.
#   tests/calendar/memory_limit_test.sh PATH/TO/trevalda
set -uo pipefail
tool="$(realpath "$1")"
here="$(dirname "$(realpath "${BASH_SOURCE[0]}")")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/cli/checks.sh
source "$here/../cli/checks.sh"

/usr/bin/python3 "$here/bound_calendars.py" "$work" 4 mixed
dates=()
for file in "$work"/bound-*.ics; do dates+=(--dates "$file"); done

# Reading and placing the calendars, under limits from too little to start
# at all to enough for the run.
for limit_mb in 40 80 120 160 200 300; do
  (ulimit -v $((limit_mb * 1024)) && exec "$tool" --describe 01/01/2026 --to 20/01/2026 \
    "${dates[@]}" >/dev/null 2>"$work/stderr")
  rc=$?
  check "describe, $limit_mb MB: exit 0, 1 or 2, not $rc" test "$rc" -le 2
  if [ "$rc" -ne 0 ]; then
    check "describe, $limit_mb MB: a Spanish message" grep -q "memoria\|no se pudo\|no se puede" \
      "$work/stderr"
  fi
done

# Saving pages. The limits stop below the edge where the calendars fit but
# drawing runs short: there fontconfig's font matching can itself crash on
# a failed allocation (seen once in about sixty runs at 200 MB).
outcomes=""
for limit_mb in 40 60 80 100 120 1000; do
  out="$work/out-$limit_mb"
  mkdir -p "$out"
  (ulimit -v $((limit_mb * 1024)) && exec "$tool" 01/01/2026 --to 20/01/2026 "${dates[@]}" -q \
    -o "$out" >"$work/stdout" 2>"$work/stderr")
  rc=$?
  outcomes+="$limit_mb:$rc "
  check "$limit_mb MB: exit 0, 1 or 2, not $rc" test "$rc" -le 2
  if [ "$rc" -ne 0 ]; then
    check "$limit_mb MB: a Spanish message" grep -q "memoria\|no se pudo\|no se puede" "$work/stderr"
  fi
  # The pages saved are the first ones, in date order, with nothing after a gap.
  saved=$(find "$out" -name '*.bmp' | wc -l)
  expected_names=""
  for ((d = 1; d <= saved; d++)); do expected_names+=$(printf '%02d-01-2026.bmp ' "$d"); done
  names=$(cd "$out" && find . -name '*.bmp' -printf '%f\n' | sort | tr '\n' ' ')
  check "$limit_mb MB: the saved pages are the first $saved" test "$names" = "$expected_names"
  check "$limit_mb MB: no temporary file left" test -z "$(find "$out" -type f ! -name '*.bmp')"
  if [ "$rc" -eq 0 ]; then
    check "$limit_mb MB: a whole run saves every page" test "$saved" -eq 20
  fi
done
echo "limit:exit $outcomes"
check "some limit is too small" grep -q ':[12] ' <<<"$outcomes"
check "the largest limit is enough" grep -q '1000:0 ' <<<"$outcomes"
finish_checks
