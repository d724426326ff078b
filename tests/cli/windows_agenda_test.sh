#!/usr/bin/env bash
# The Windows command line (trevalda-cli.exe under Wine) with the agenda
# options: a date list and an .ics calendar, holidays, the ISO week and the
# time zone (the zones compiled in).
#   tests/cli/windows_agenda_test.sh WINE-RUN PATH/TO/trevalda-cli.exe
set -uo pipefail
wine_run="$(realpath "$1")"
tool="$(realpath "$2")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/cli/checks.sh
source "$(dirname "$(realpath "${BASH_SOURCE[0]}")")/checks.sh"
cd "$work" || exit 2

printf '%s\n' '05/03 Cumpleaños de Ana' '!pascua+1 Lunes de Pascua' >fechas.txt
printf '%s\r\n' BEGIN:VCALENDAR BEGIN:VEVENT 'DTSTART;VALUE=DATE:19900305' RRULE:FREQ=YEARLY \
  'SUMMARY:Santo de Luis\, mi' '  hermano' END:VEVENT END:VCALENDAR >cal.ics
"$wine_run" "$tool" --describe 05/03/2027 --holidays --dates fechas.txt --dates cal.ics \
  --week iso >out 2>err
rc=$?
check "describe: exit 0" test "$rc" -eq 0
check "describe: the entries in order" test "$(tr -d '\r' <out | tail -n 2 | tr '\n' '|')" = \
  "Cumpleaños de Ana|Santo de Luis, mi hermano|"
"$wine_run" "$tool" 06/04/2026 --holidays --dates fechas.txt >out 2>err
rc=$?
check "page with a holiday: exit 0" test "$rc" -eq 0 -a "$(stat -c %s 06-04-2026.bmp 2>/dev/null)" = 2677286
printf '31/02 Nunca\n' >malo.txt
"$wine_run" "$tool" 07/12/2026 --dates malo.txt >out 2>err
rc=$?
check "bad file: exit 2" test "$rc" -eq 2 -a ! -e 07-12-2026.bmp
check "bad file: names the line" grep -q "malo.txt:1: 31/02 no existe" err
"$wine_run" "$tool" 07/12/2026 --tz Europe/Nowhere >out 2>err
rc=$?
check "unknown --tz: exit 2" test "$rc" -eq 2 -a ! -e 07-12-2026.bmp
check "unknown --tz: named" grep -qF 'zona horaria desconocida: "Europe/Nowhere"' err
"$wine_run" "$tool" 07/12/2026 --describe --tz "Romance Standard Time" >out 2>err
check "--tz with a Windows zone name" test "$?" -eq 0
finish_checks
