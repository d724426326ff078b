#!/usr/bin/env bash
# trevalda --describe --dates against an independent implementation of
# RFC 5545 (Debian's python3-recurring-ical-events over python3-icalendar
# and python3-dateutil) on generated calendars: every day of 2026 and 2027,
# its entries and their HH:MM, on the clock of peninsular Spain and, for
# every tenth calendar, of the Canary Islands and New York (--tz).
#   tests/calendar/differential_test.sh PATH/TO/trevalda [COUNT [SEED]]
# The run (and its wrapper) may be the Windows program under Wine:
#   TREVALDA_RUNNER=cmake/wine-run.sh tests/calendar/differential_test.sh trevalda-cli.exe 20
set -uo pipefail
tool="$(realpath "$1")"
count="${2:-300}"
seed="${3:-20261208}"
here="$(dirname "$(realpath "${BASH_SOURCE[0]}")")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
reference="$here/reference_calendars.py"

if [ -n "${TREVALDA_RUNNER:-}" ]; then
  runner="$(realpath "$TREVALDA_RUNNER")"
  printf '#!/usr/bin/env bash\n"%s" "%s" "$@" | tr -d "\\r"\nexit "${PIPESTATUS[0]}"\n' \
    "$runner" "$tool" >"$work/run"
  chmod +x "$work/run"
  tool="$work/run"
fi

/usr/bin/python3 "$reference" generate "$work" "$count" "$seed" || exit 2
cp "$here"/clients/*.ics "$work"/
# Names relative to the folder, which Windows programs under Wine read too.
cd "$work" || exit 2
mapfile -t all < <(find . -maxdepth 1 -name '*.ics' -printf '%f\n' | sort)
tenth=()
for ((i = 0; i < ${#all[@]}; i += 10)); do tenth+=("${all[$i]}"); done

failed=0
compare() {  # compare ZONE FILE...
  local zone="$1"
  shift
  /usr/bin/python3 "$reference" expected 01/01/2026 31/12/2027 "$zone" "$@" || return 2
  /usr/bin/python3 "$reference" compare "$tool" 01/01/2026 31/12/2027 "$zone" "$@"
}
# Two halves at once: the machine has two cores.
half=$(((${#all[@]} + 1) / 2))
compare Europe/Madrid "${all[@]:0:$half}" >"$work/first.log" 2>&1 &
first=$!
compare Europe/Madrid "${all[@]:$half}" >"$work/second.log" 2>&1 || failed=1
wait "$first" || failed=1
compare Atlantic/Canary "${tenth[@]}" >"$work/canary.log" 2>&1 || failed=1
compare America/New_York "${tenth[@]}" >"$work/newyork.log" 2>&1 || failed=1
cat ./*.log
echo "${#all[@]} calendars (and ${#tenth[@]} in two more zones), 2026-2027: $([ "$failed" -eq 0 ] && echo "no differences" || echo "DIFFERENCES")"
exit "$failed"
