#!/usr/bin/env bash
# trevalda-agenda.exe under Wine on a virtual display: the window-message
# tests of agenda_program_test.exe, then what they left compared here with
# what trevalda-cli.exe made from the same choices: the PDF's text
# (pdftotext) and the PNG pages' pixels (ImageMagick).
#   agenda_dialog_test.sh RUN-WITH-DISPLAY AGENDA_PROGRAM_TEST.EXE TREVALDA-AGENDA.EXE
#                         TREVALDA-CLI.EXE WORK-FOLDER
set -uo pipefail
display_runner="$1"
test_program="$2"
agenda="$3"
cli="$4"
work="$5/agenda-dialog"
# shellcheck source=tests/cli/checks.sh
source "$(dirname "$(realpath "${BASH_SOURCE[0]}")")/../cli/checks.sh"

rm -rf "$work"
mkdir -p "$work"
cat >"$work/fechas.txt" <<'DATES'
# Mis fechas
!15/05 San Isidro
07/12 Cumpleaños de Ana
29/02/2028 Día bisiesto
DATES
printf '%s\r\n' BEGIN:VCALENDAR VERSION:2.0 BEGIN:VEVENT 'DTSTART;VALUE=DATE:20270310' \
  'DTEND;VALUE=DATE:20270312' 'SUMMARY:Congreso' END:VEVENT BEGIN:VEVENT \
  DTSTART:20280301T083000Z 'SUMMARY:Dentista' END:VEVENT END:VCALENDAR >"$work/calendario.ics"
printf '01/01 Año nuevo\n07/12 Santo\n32/13 Nada\n' >"$work/rotas.txt"

"$display_runner" "$test_program" --agenda "$agenda" --cli "$cli" --work "$work"
check "the dialog's window-message tests" test $? -eq 0

same_text() {  # same_text A.pdf B.pdf: pdftotext sees the same
  [ -s "$1" ] && [ -s "$2" ] && cmp -s <(pdftotext "$1" -) <(pdftotext "$2" -) ||
    { echo "  $1 and $2: different text"; return 1; }
}
same_pixels() {  # same_pixels A B: no pixel differs
  local differing
  differing="$(compare -metric AE "$1" "$2" null: 2>&1)"
  [ "$differing" = 0 ] || { echo "  $1: $differing pixels differ"; return 1; }
}
decodes() {  # decodes PNG: the whole image reads without a warning
  [ "$(identify -regard-warnings -format '%w %h' "$1" 2>/dev/null)" = "794 1123" ]
}

check "PDF: the dialog's year reads as the command line's" \
  same_text "$work/pdf-dialog/agenda-2027.pdf" "$work/pdf-cli/agenda-2027.pdf"
check "PDF: the dates files' entries are in it" \
  grep -q "Cumpleaños de Ana" <(pdftotext "$work/pdf-dialog/agenda-2027.pdf" -)
modern=28-01-2027_03-02-2027.pdf
check "modern planner PDF: the dialog's reads as the command line's" \
  same_text "$work/modern-dialog/$modern" "$work/modern-cli/$modern"
check "modern planner PDF: the place's sun is on its pages" \
  grep -q "(Sevilla)" <(pdftotext "$work/modern-dialog/$modern" -)
check "modern planner PDF: the lines carry the hours" \
  grep -qx "8:00" <(pdftotext "$work/modern-dialog/$modern" -)
for stem in 28-02-2028 29-02-2028 01-03-2028; do
  check "PNG: $stem as the command line draws it" \
    same_pixels "$work/png-dialog/$stem.png" "$work/png-cli/$stem.png"
done
cancelled=0
for page in "$work"/cancel/*.png; do
  check "cancelled run: $(basename "$page") is complete" decodes "$page"
  cancelled=$((cancelled + 1))
done
check "cancelled run: some pages, not all" test "$cancelled" -ge 3 -a "$cancelled" -lt 365
finish_checks
