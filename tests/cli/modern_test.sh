#!/usr/bin/env bash
# The modern page from the command line (Linux `trevalda`, or
# `trevalda-cli.exe` under Wine): --style, --hours, --place and --tz, what
# --describe prints, the refusals, and every output format.
#   tests/cli/modern_test.sh PATH/TO/trevalda [RUNNER...]
set -uo pipefail
tool="$(realpath "$1")"
shift
runner=("$@")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/cli/checks.sh
source "$(dirname "$(realpath "${BASH_SOURCE[0]}")")/checks.sh"

run() {  # run ARGS...: the tool in a fresh folder; sets rc, out, err, dir
  dir="$(mktemp -d -p "$work")"
  (cd "$dir" && "${runner[@]}" "$tool" "$@" >"$work/out" 2>"$work/err")
  rc=$?
  out="$(tr -d '\r' <"$work/out")"
  err="$(tr -d '\r' <"$work/err")"
}
line() { sed -n "$1p" <<<"$out"; }
has_line() { grep -qxE -- "$2" <<<"$1"; }

# The texts: accented weekdays, the feasts on their dates, the almanac.
run 30/06/2027 --style modern --describe
check "describe: exit 0" test "$rc" -eq 0
check "Miércoles" test "$(line 2)" = "Miércoles"
check "the sun of Madrid" has_line "$out" 'Sol: sale [0-2][0-9]:[0-5][0-9], se pone [0-2][0-9]:[0-5][0-9] \(Madrid\)'
check "no hours by default" test -z "$(grep '^Horas:' <<<"$out")"
run 10/02/2027 --style modern --describe
check "Ash Wednesday 2027" test "$(line 4)" = "Miércoles de Ceniza"
run 17/02/2027 --style modern --describe
check "17/02/2027 San Alejo" test "$(line 4)" = "San Alejo"
run 17/02/2027 --describe
check "the classic page keeps its table" test "$(line 4)" = "San Alejo (ceniza)"

# A month of pages: the moon's four phases, each line exactly so.
run 01/01/2027 --to 31/01/2027 --style modern --describe --place none --hours 8-21
moons="$(grep '^Luna: ' <<<"$out")"
check "four or five phases in January 2027" test "$(wc -l <<<"$moons")" -ge 4
check "moon lines" test -z "$(grep -vxE 'Luna: (Luna nueva|Cuarto creciente|Luna llena|Cuarto menguante) [0-2][0-9]:[0-5][0-9]' <<<"$moons")"
check "--place none: no sun" test -z "$(grep '^Sol:' <<<"$out")"
check "--hours on every page" test "$(grep -cx 'Horas: 8-21' <<<"$out")" -eq 31
# The Canary Islands are an hour behind the peninsula: the same instants.
peninsula="$(grep '^Luna: ' <<<"$out" | head -n 1)"
run 01/01/2027 --to 31/01/2027 --style modern --describe --place none --tz Atlantic/Canary
canary="$(grep '^Luna: ' <<<"$out" | head -n 1)"
minutes() { local t="${1##* }"; echo $((10#${t%:*} * 60 + 10#${t#*:})); }
check "--tz Atlantic/Canary: an hour earlier" \
  test $(($(minutes "$peninsula") - $(minutes "$canary"))) -eq 60
run 21/06/2027 --style modern --describe --place "las palmas de gran canaria"
check "a capital typed in lower case" has_line "$out" 'Sol: sale 0[67]:[0-5][0-9], se pone 2[01]:[0-5][0-9] \(Las Palmas de Gran Canaria\)'
run 21/06/2027 --style modern --describe --place "a coruna"
check "a capital typed without its accent" has_line "$out" 'Sol: .* \(A Coruña\)'
run 21/06/2027 --style modern --describe --place 43.37,-8.40
check "coordinates" has_line "$out" 'Sol: sale 0[67]:[0-5][0-9], se pone 22:[0-5][0-9] \(43.37, -8.40\)'

# The holiday that is the saint's line, printed once on either page.
for style in classic modern; do
  run 08/12/2026 --holidays --style "$style" --describe
  check "$style: Inmaculada Concepción once" test "$(grep -c 'Inmaculada Concepción' <<<"$out")" -eq 1
done

# Refusals: exit 2, a Spanish reason naming the value, nothing written.
while IFS='|' read -r args want; do
  # shellcheck disable=SC2086
  run 07/12/2026 $args
  check "refuses '$args'" test "$rc" -eq 2 -a -z "$(ls -A "$dir")"
  check "'$args' says '$want'" grep -qF -- "$want" <<<"$err"
done <<'TABLE'
--style bonita|estilo desconocido: "bonita"
--style modern --hours 21-8|horas no válidas: "21-8"
--style modern --hours 8-24|horas no válidas: "8-24"
--style modern --hours 0-23|como mucho 21 horas
--style modern --hours 8|horas no válidas: "8"
--style modern --place Narnia|lugar desconocido en --place: "Narnia"
--style modern --place 91,0|coordenadas fuera de rango en --place: "91,0"
--style modern --place 40.4,-3.7,1|lugar desconocido en --place
--style modern --tz Europe/Paris|--tz "Europe/Paris" no vale con --style modern
--style modern --tz Europe/Nowhere|zona horaria desconocida: "Europe/Nowhere"
--hours 8-21|--hours solo vale con --style modern
--place Madrid|--place solo vale con --style modern
--style=|el valor de --style no puede estar vacío
TABLE

# Every output: BMP and PNG of the page's size, PDF on every paper.
run 30/06/2027 --style modern
check "modern BMP" test "$rc" -eq 0 -a "$(stat -c %s "$dir/30-06-2027.bmp" 2>/dev/null)" = 2677286
modern_bmp="$dir/30-06-2027.bmp"
run 30/06/2027 --style classic
check "--style classic is the classic page" test "$rc" -eq 0
classic_bmp="$dir/30-06-2027.bmp"
run 30/06/2027
check "--style classic: byte for byte" cmp -s "$classic_bmp" "$dir/30-06-2027.bmp"
check "the modern page differs" test "$(cmp -s "$modern_bmp" "$classic_bmp"; echo $?)" -eq 1
run 29/06/2027 --to 01/07/2027 --style modern --format png --hours 8-21 --quiet
check "modern PNG range" test "$rc" -eq 0 -a "$(ls "$dir" | grep -c '\.png$')" -eq 3
if command -v pdftotext >/dev/null; then
  for paper in "--paper a4" "--paper a5" "--paper letter" "--paper tablet" "--booklet"; do
    # shellcheck disable=SC2086
    run 28/06/2027 --to 04/07/2027 --style modern --format pdf $paper --hours 8-21
    pdf="$(ls "$dir"/*.pdf 2>/dev/null | head -n 1)"
    check "PDF $paper: saved" test "$rc" -eq 0 -a -n "$pdf"
    check "PDF $paper: the modern texts" grep -q "Miércoles" <(pdftotext "$pdf" - 2>/dev/null)
  done
  # The links over the modern page's month name and footer, and the index.
  run 28/11/2027 --to 03/01/2028 --style modern --format pdf -o nav.pdf
  check "PDF navigation" /usr/bin/python3 "$(dirname "$(realpath "$0")")/../scripts/pdf_check.py" \
    navigation "$dir/nav.pdf"
fi

finish_checks
