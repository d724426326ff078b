#!/usr/bin/env bash
# Makes PDFs with the built command (Linux `trevalda`, or `trevalda-cli.exe`
# under Wine) and reads them back with qpdf, poppler's tools and
# tests/scripts/pdf_check.py: valid files, embedded fonts, extractable
# texts, navigation, paper sizes, the booklet's page order, and rules and
# lines on the raster page's pixels.
#   tests/cli/pdf_test.sh PATH/TO/trevalda [RUNNER...]
set -uo pipefail
tool="$(realpath "$1")"
shift
runner=("$@")
checker="$(dirname "$(realpath "$0")")/../scripts/pdf_check.py"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/cli/checks.sh
source "$(dirname "$(realpath "${BASH_SOURCE[0]}")")/checks.sh"

run() {  # run ARGS...: the tool in a fresh folder; sets rc, err, dir
  dir="$(mktemp -d -p "$work")"
  (cd "$dir" && "${runner[@]}" "$tool" "$@" >"$work/out" 2>"$work/err")
  rc=$?
  err="$(cat "$work/err")"
}

# valid FILE NAME: what every document must pass.
valid() {
  local file="$1" name="$2"
  check "$name: qpdf --check" qpdf --check "$file" >/dev/null
  check "$name: fonts embedded" test -z "$(pdffonts "$file" | tail -n +3 | grep -v ' yes yes ')"
  check "$name: has fonts" test -n "$(pdffonts "$file" | tail -n +3)"
}
info() { pdfinfo "$1" | grep "^$2:" | sed "s/^$2: *//"; }
text() { pdftotext -f "$2" -l "$2" "$1" - 2>/dev/null | tr '\n' ' '; }
has() { [[ "$1" == *"$2"* ]]; }

# A whole year: the index and 365 days, navigation, metadata.
run --year 2027 --format pdf
year="$dir/agenda-2027.pdf"
check "year: saved" test "$rc" -eq 0 -a -f "$year"
valid "$year" year
check "year: pages" test "$(info "$year" Pages)" = 366
check "year: A4" has "$(info "$year" 'Page size')" "595.276 x 841.89 pts (A4)"
check "year: title" test "$(info "$year" Title)" = "Agenda 2027"
check "year: creator" test "$(info "$year" Creator)" = "Trevalda"
check "year: creation date" test -n "$(info "$year" CreationDate)"
index="$(text "$year" 1)"
check "year: index texts" has "$index" "Agenda 2027"
check "year: index months" has "$index" "Diciembre 2027"
first="$(text "$year" 2)"
for expected in Enero Viernes 01 "Santa Maria" 1/364 "Semana 1" "Año 2027"; do
  check "year: first day shows $expected" has "$first" "$expected"
done
check "year: last day" has "$(text "$year" 366)" "365/0"
check "year: navigation" python3 "$checker" navigation "$year"

# A range over a year's end: the months it covers, two taps at most.
run 20/12/2026 --to 10/01/2027 --format pdf -o corto.pdf
valid "$dir/corto.pdf" range
check "range: pages" test "$(info "$dir/corto.pdf" Pages)" = 23
check "range: index from December" has "$(text "$dir/corto.pdf" 1)" "Diciembre 2026"
check "range: index to January" has "$(text "$dir/corto.pdf" 1)" "Enero 2027"
check "range: index without February" test -z "$(text "$dir/corto.pdf" 1 | grep Febrero)"
check "range: navigation" python3 "$checker" navigation "$dir/corto.pdf"

# Paper sizes: the sheet and, on it, the whole page.
while read -r paper size; do
  run 03/01/2027 --to 04/01/2027 --format pdf --paper "$paper" -o p.pdf
  valid "$dir/p.pdf" "$paper"
  check "$paper: navigation, links inside the page" python3 "$checker" navigation "$dir/p.pdf"
  check "$paper: size" has "$(info "$dir/p.pdf" 'Page size')" "$size"
  page="$(text "$dir/p.pdf" 2)"
  for expected in Enero Domingo 03 "Año 2027" "Semana 1"; do  # the four corners and the middle
    check "$paper: shows $expected" has "$page" "$expected"
  done
done <<'TABLE'
a4 595.276 x 841.89 pts
a5 419.528 x 595.276 pts
letter 612 x 792 pts
tablet 447.292 x 596.389 pts
TABLE
# The tablet's sheet rendered at its density is its screen, pixel for pixel.
run 03/01/2027 --format pdf --paper tablet -o t.pdf
pdftoppm -r 226 -singlefile "$dir/t.pdf" "$dir/t"
check "tablet: 1404 x 1872 pixels at 226 dpi" test "$(head -c 20 "$dir/t.ppm" | sed -n 2p)" = "1404 1872"
run 03/01/2027 --to 06/01/2027 --format pdf --paper a5 --binding-margin 12,5 -o m.pdf
valid "$dir/m.pdf" margin

# The booklet: pages 1 (the index) to 21 (20 January) on A4 landscape
# sheets, both halves of each side named by what they show; "-" is blank.
run 01/01/2027 --to 20/01/2027 --format pdf --booklet -o librito.pdf
booklet="$dir/librito.pdf"
check "booklet: the print dialog starts duplex, short edge, at 100 %" \
  bash -c "qpdf --qdf --object-streams=disable '$booklet' - | tr -d '\n ' |
    grep -aq '/ViewerPreferences<</Duplex/DuplexFlipShortEdge/PrintScaling/None>>'"
check "booklet: the notice counts the sheets that print" grep -q "(6 hojas)" "$work/out"
valid "$booklet" booklet
check "booklet: sides" test "$(info "$booklet" Pages)" = 12
check "booklet: landscape A4" has "$(info "$booklet" 'Page size')" "841.89 x 595.276 pts (A4)"
half() {  # half SIDE LEFT|RIGHT: 1 for the index, n + 1 for day n, - for blank
  local x=0
  [ "$2" = right ] && x=421
  local t
  t="$(pdftotext -r 72 -f "$1" -l "$1" -x "$x" -y 0 -W 420 -H 596 "$booklet" - | tr '\n' ' ')"
  if has "$t" "Agenda"; then echo 1; return; fi
  local n
  n="$(grep -o '\b[0-9]*/3[0-9][0-9]\b' <<<"$t" | head -1 | cut -d/ -f1)"
  if [ -n "$n" ]; then echo $((n + 1)); else echo -; fi
}
order=""
for side in $(seq 1 12); do order+="$(half "$side" left)|$(half "$side" right) "; done
check "booklet: saddle-stitch order ($order)" test "$order" = \
  "16|1 2|15 14|3 4|13 12|5 6|11 10|7 8|9 -|17 18|- -|19 20|21 "

# Rules and lines land on the raster page's pixels at 96 dpi.
for date in 07/12/2027 06/12/2026; do
  run "$date" --format pdf -o page.pdf
  stem="${date//\//-}"
  (cd "$dir" && "${runner[@]}" "$tool" "$date" >/dev/null 2>&1)
  pdftoppm -r 96 "$dir/page.pdf" "$dir/render"
  check "$date: lines on the raster's pixels" \
    python3 "$checker" rows "$dir/$stem.bmp" "$dir/render-1.ppm"
done

# Long lines keep to the raster's glyphs: an entry of 98 characters and a
# line of symbols whose advances the raster rounds up, each glyph within a
# pixel of where the raster page has it.
symbols="%•©®^“”„"
printf '07/12/2026 %s\n07/12/2026 %s\n' \
  "Reunión con el equipo de diseño para revisar el presupuesto anual y los plazos de entrega finales." \
  "$symbols$symbols$symbols$symbols$symbols" >"$work/largas.txt"
run 07/12/2026 --dates "$work/largas.txt" --format pdf -o page.pdf
(cd "$dir" && "${runner[@]}" "$tool" 07/12/2026 --dates "$work/largas.txt" >/dev/null 2>&1)
pdftoppm -r 96 "$dir/page.pdf" "$dir/render"
report="$(python3 "$checker" glyphs "$dir/07-12-2026.bmp" "$dir/render-1.ppm" | tr '\n' ';')"
status=$?
check "long lines: glyphs within a pixel of the raster's ($report)" test "$status" -eq 0

# The index marks: holidays in red (Sundays always are), a line under days
# with entries, the same on the index of a planner.
printf '05/03 Cumpleaños de Ana\n!24/06 Sant Joan\n12/10/2027 Llevar el coche\n' >"$work/fechas.txt"
holidays="red: 01/01 06/01 26/03 01/05 12/10 01/11 06/12 08/12 25/12"
for args in "--holidays" "--holidays --dates $work/fechas.txt" "--dates $work/fechas.txt"; do
  # shellcheck disable=SC2086
  run --year 2027 --format pdf $args -o marcas.pdf
  pdftoppm -r 96 -f 1 -l 1 "$dir/marcas.pdf" "$dir/index"
  marks="$(python3 "$checker" index "$dir"/index-*1.ppm 2027)"
  case "$args" in
    "--holidays") want="$holidays"$'\nmarked: ' ;;
    "--dates"*) want=$'red: 24/06\nmarked: 05/03 12/10' ;;
    *) want="${holidays/01\/05 /01/05 24/06 }"$'\nmarked: 05/03 12/10' ;;
  esac
  check "index marks with '$args' ($marks)" test "$marks" = "$want"
done

# The planner: month, week and notes pages, tabs, every link where its
# words say, an outline by months, weeks and days.
run --year 2027 --format pdf --planner --notes 2 -o p.pdf
planner="$dir/p.pdf"
valid "$planner" planner
check "planner: pages 1 + 12 + 53 + 365 + 24" test "$(info "$planner" Pages)" = 455
check "planner: navigation" python3 "$checker" planner "$planner"
check "planner: January" has "$(text "$planner" 2)" "Enero 2027"
check "planner: notes" has "$(text "$planner" 455)" "Notas diciembre 2027"
run --year 2027 --format pdf --planner --holidays --dates "$work/fechas.txt" --week iso -o p.pdf
january="$(text "$dir/p.pdf" 2)"
for expected in "Enero 2027" "Año Nuevo" "Epifanía del Señor" Miércoles Sábado "Febrero 2027"; do
  check "planner: January's page shows $expected" has "$january" "$expected"
done
check "planner: ISO week 53 of 2026 first" has "$(text "$dir/p.pdf" 3)" "Semana 53 (2026)"
check "planner: an entry on its day, month and week pages" \
  test "$(pdftotext "$dir/p.pdf" - | tr '\n' ' ' | grep -o "Llevar el coche" | wc -l)" -eq 3
check "planner iso: navigation" python3 "$checker" planner "$dir/p.pdf"
for args in "--paper tablet" "--paper a5 --binding-margin 10" "--paper letter --notes 1" \
  "--booklet --notes 3"; do
  # shellcheck disable=SC2086
  run 25/12/2026 --to 15/01/2027 --format pdf --planner $args -o r.pdf
  valid "$dir/r.pdf" "planner $args"
  check "planner $args: January's page" has "$(pdftotext "$dir/r.pdf" - | tr '\n' ' ')" "Enero 2027"
done
run 25/12/2026 --to 15/01/2027 --format pdf --planner --notes 1 -o r.pdf
check "planner range: pages 1 + 2 + 5 + 22 + 2" test "$(info "$dir/r.pdf" Pages)" = 32
check "planner range: navigation" python3 "$checker" planner "$dir/r.pdf"
run 25/12/2026 --to 15/01/2027 --format pdf --planner --style modern -o r.pdf
check "modern planner: every link where its words say" python3 "$checker" planner "$dir/r.pdf"
run 07/12/2026 --format pdf --planner --notes 1 -o uno.pdf
valid "$dir/uno.pdf" "planner of one day"
check "planner of one day: month, week, day, notes" test "$(info "$dir/uno.pdf" Pages)" = 4
run 25/12/2026 --to 15/01/2027 --format pdf --notes 1 -o r.pdf
check "notes only: pages 1 + 22 + 2" test "$(info "$dir/r.pdf" Pages)" = 25
check "notes only: navigation" python3 "$checker" planner "$dir/r.pdf"

# Options that only make sense for a PDF, and bad values: exit 2, a
# Spanish message naming the option, nothing written.
for args in "--year 2027 --paper a5" "--year 2027 --format png --booklet" \
  "07/12/2026 --binding-margin 5" "--year 2027 --format pdf --paper a3" \
  "--year 2027 --format pdf --binding-margin 31" "--year 2027 --format pdf --booklet --paper a5" \
  "--year 2027 --planner" "--year 2027 --notes 2" "--year 2027 --format pdf --notes 32" \
  "--year 2027 --format pdf --notes -1" "--year 2027 --format pdf --notes 1x"; do
  # shellcheck disable=SC2086
  run $args
  check "refuses '$args'" test "$rc" -eq 2 -a -z "$(ls -A "$dir")"
  check "says why for '$args'" grep -q -e "--paper\|--booklet\|--binding-margin\|encuadernación\|papel\|--planner\|--notes\|notas" <<<"$err"
done

finish_checks
