#!/usr/bin/env bash
# Measures trevalda beside two references, in the same hyperfine runs, so the
# figures hold as ratios from machine to machine:
#   - the floor: bench/floor_write, which only writes a page-sized file the
#     safe way (fill, temporary file, fdatasync, rename, fsync of the folder);
#   - a peer: one ImageMagick command drawing the same elements as the page.
# Then the ranges (a year of PNG, a year of BMP beside 365 floor writes, a
# year PDF, a year planner PDF on one processor), the peak memory, calendars
# at the per-file bound (tests/calendar/bound_calendars.py: twenty files of
# 5,000 repeating events and 5,000 overrides, described over ten years) and,
# with --micro, the Google Benchmark cases.
#
#   scripts/bench.sh            everything but the micro benchmarks
#   scripts/bench.sh --quick    fewer runs
#   scripts/bench.sh --micro    also the Google Benchmark cases
# TREVALDA_BENCH_BUILD=<dir> chooses another build folder (default
# build/linux, the preset's); TREVALDA_BENCH_TMP the folder written to
# (default: a new folder under $TMPDIR or /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=3
rounds=15
range_runs=3
micro=0
for arg in "$@"; do
  case "$arg" in
    --quick) runs=2; rounds=6; range_runs=2 ;;
    --micro) micro=1 ;;
    *) echo "bench: opción desconocida: $arg" >&2; exit 2 ;;
  esac
done
build="${TREVALDA_BENCH_BUILD:-build/linux}"

scripts/setup-deps.sh --perf
if [ "$build" = build/linux ]; then
  cmake --preset linux >/dev/null
else
  cmake --preset linux -B "$build" >/dev/null
fi
cmake --build "$build" --target trevalda_cli page_bench floor_write -j "$(nproc)" >/dev/null
trevalda="$PWD/$build/app/trevalda"
floor="$PWD/$build/bench/floor_write"

scratch="$(mktemp -d "${TREVALDA_BENCH_TMP:-${TMPDIR:-/tmp}}/trevalda-bench.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/floor" "$scratch/page" "$scratch/peer" "$scratch/modern"
date=07/12/2026

echo "== Máquina"
echo "nproc: $(nproc)"
echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "Kernel: $(uname -r)"
echo "Sistema de ficheros de $scratch: $(df -T "$scratch" | awk 'NR == 2 {print $2}')"
echo "Carga al empezar (1, 5, 15 min): $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# The peer page for 07/12/2026: white A4 at 96 dpi, the texts in DejaVu Sans
# Bold at the page's sizes, the two dark-red rules and fifty writing lines,
# saved as a 24-bit BMP.
peer_command() {
  local lines="" y
  for y in $(seq 80 20 1060); do lines+=" line 10,$y 779,$y"; done
  echo "convert -size 794x1123 xc:white -font DejaVu-Sans-Bold -fill black -pointsize 13" \
    "-annotate +10+21 Diciembre -annotate +720+21 Lunes -fill '#8B0000'" \
    "-annotate +10+49 'San Ambrosio' -pointsize 11 -annotate +735+47 341/24" \
    "-annotate +720+1093 'Semana 50' -annotate +10+1093 'Año 2026'" \
    "-fill none -stroke '#8B0000' -strokewidth 5" \
    "-draw 'stroke-linecap round line 10,30 350,30 line 450,30 780,30' -stroke black -strokewidth 1" \
    "-draw '${lines# }' -stroke none -fill black -pointsize 51 -annotate +375+50 07" \
    "-type truecolor BMP3:$1"
}

# Median of every run of command number $1 in the JSON files $2..., in ms.
median_ms() {
  python3 - "$@" <<'PY'
import json, statistics, sys
index = int(sys.argv[1])
times = []
for name in sys.argv[2:]:
    times += json.load(open(name))["results"][index]["times"]
print("%.2f" % (statistics.median(times) * 1000))
PY
}
# Processor time (user + system) of command number $1, the median of the
# per-file means over the JSON files $2..., in ms.
cpu_ms() {
  python3 - "$@" <<'PY'
import json, statistics, sys
index = int(sys.argv[1])
cpu = [json.load(open(n))["results"][index]["user"] + json.load(open(n))["results"][index]["system"]
       for n in sys.argv[2:]]
print("%.2f" % (statistics.median(cpu) * 1000))
PY
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# Each round runs the three commands a few times each, one after the other,
# so that the load of a shared machine falls on all three alike.
echo "== Una hoja: suelo, trevalda, ImageMagick y la hoja moderna en las mismas ejecuciones de hyperfine"
echo "   ($rounds rondas; en cada una, $runs ejecuciones de cada orden)"
jsons=()
for round in $(seq "$rounds"); do
  hyperfine -N --warmup 1 --runs "$runs" --export-json "$scratch/page-$round.json" \
    "$floor $scratch/floor" "$trevalda $date -o $scratch/page" \
    "$(peer_command "$scratch/peer/07-12-2026.bmp")" \
    "$trevalda $date --style modern --hours 8-21 -o $scratch/modern" >/dev/null
  jsons+=("$scratch/page-$round.json")
done
floor_ms="$(median_ms 0 "${jsons[@]}")"
page_ms="$(median_ms 1 "${jsons[@]}")"
peer_ms="$(median_ms 2 "${jsons[@]}")"
modern_ms="$(median_ms 3 "${jsons[@]}")"
echo "suelo (floor_write):          mediana $floor_ms ms"
echo "trevalda $date:         mediana $page_ms ms"
echo "ImageMagick, la misma hoja:   mediana $peer_ms ms"
echo "hoja / suelo:                 $(ratio "$page_ms" "$floor_ms")   (objetivo <= 1.3)"
echo "ImageMagick / hoja:           $(ratio "$peer_ms" "$page_ms")   (objetivo >= 4)"
echo "hoja moderna (--style modern --hours 8-21): mediana $modern_ms ms"
echo "moderna / clásica:            $(ratio "$modern_ms" "$page_ms")   (objetivo <= 1.3)"
floor_cpu="$(cpu_ms 0 "${jsons[@]}")"
page_cpu="$(cpu_ms 1 "${jsons[@]}")"
peer_cpu="$(cpu_ms 2 "${jsons[@]}")"
modern_cpu="$(cpu_ms 3 "${jsons[@]}")"
echo "tiempo de procesador (usuario + sistema): suelo $floor_cpu ms, hoja $page_cpu ms," \
  "ImageMagick $peer_cpu ms"
echo "  hoja / suelo $(ratio "$page_cpu" "$floor_cpu"), ImageMagick / hoja $(ratio "$peer_cpu" "$page_cpu")"
echo "  hoja moderna $modern_cpu ms, moderna / clásica $(ratio "$modern_cpu" "$page_cpu")"
echo

echo "== Series ($range_runs ejecuciones cada una, en la misma ejecución de hyperfine)"
hyperfine -N --warmup 1 --runs "$range_runs" --export-json "$scratch/ranges.json" \
  --prepare "bash -c 'rm -rf $scratch/year && mkdir $scratch/year'" \
  "$trevalda --year 2027 --format png --quiet -o $scratch/year" \
  "$trevalda --year 2027 --format bmp --quiet -o $scratch/year" \
  "$floor $scratch/year 365" \
  "$trevalda --year 2027 --format pdf --quiet -o $scratch/year.pdf" \
  "taskset -c 0 $trevalda --year 2027 --format pdf --planner --notes 2 --holidays --quiet -o $scratch/planner.pdf" \
  >/dev/null
png_ms="$(median_ms 0 "$scratch/ranges.json")"
bmp_ms="$(median_ms 1 "$scratch/ranges.json")"
floor365_ms="$(median_ms 2 "$scratch/ranges.json")"
pdf_ms="$(median_ms 3 "$scratch/ranges.json")"
echo "--year 2027 --format png:     mediana $png_ms ms   (objetivo <= 1200 ms)"
echo "--year 2027 --format bmp:     mediana $bmp_ms ms"
echo "365 escrituras del suelo:     mediana $floor365_ms ms"
echo "año BMP / 365 del suelo:      $(ratio "$bmp_ms" "$floor365_ms")"
echo "--year 2027 --format pdf:     mediana $pdf_ms ms   (objetivo <= 150 ms)"
planner_ms="$(median_ms 4 "$scratch/ranges.json")"
planner_kb="$(($(stat -c %s "$scratch/planner.pdf") / 1000))"
echo "planificador (--planner --notes 2 --holidays, un procesador):"
echo "                              mediana $planner_ms ms, $planner_kb kB   (objetivo <= 200 ms, 2 MB)"
echo "tiempo de procesador: PNG $(cpu_ms 0 "$scratch/ranges.json") ms," \
  "BMP $(cpu_ms 1 "$scratch/ranges.json") ms, 365 del suelo $(cpu_ms 2 "$scratch/ranges.json") ms," \
  "PDF $(cpu_ms 3 "$scratch/ranges.json") ms, planificador $(cpu_ms 4 "$scratch/ranges.json") ms"
echo

echo "== Memoria (/usr/bin/time -v, RSS máximo)"
peak() {  # peak ARGS...: the tool's peak RSS in KiB
  rm -rf "$scratch/year" && mkdir "$scratch/year"
  /usr/bin/time -v "$trevalda" "$@" >/dev/null 2>"$scratch/time.txt"
  awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$scratch/time.txt"
}
page_kib="$(peak "$date" -o "$scratch/page")"
png_kib="$(peak --year 2027 --format png --quiet -o "$scratch/year")"
bmp_kib="$(peak --year 2027 --format bmp --quiet -o "$scratch/year")"
echo "una hoja:        $page_kib KiB   (objetivo < 30 MB)"
echo "un año de PNG:   $png_kib KiB   (objetivo < 100 MB)"
echo "un año de BMP:   $bmp_kib KiB   (objetivo < 100 MB)"
echo

# Twenty calendars at the per-file bound, --describe over ten years: the
# processor time (user + system, which the load of a shared machine moves
# less than the wall time) and the peak memory. "yearly": birthdays, one
# occurrence a year each; "mixed": a third weekly (two days a week), a
# third monthly, a third yearly, so some days hold thousands of entries.
echo "== Calendarios en la cota: 20 archivos de 5.000 eventos repetidos y 5.000 cambios"
echo "   (--describe 01/01/2027 --to 31/12/2036; objetivo: < 2 s y < 200 MB)"
for kind in yearly mixed; do
  mkdir -p "$scratch/bound-$kind"
  /usr/bin/python3 tests/calendar/bound_calendars.py "$scratch/bound-$kind" 20 "$kind"
  bound_args=()
  for file in "$scratch/bound-$kind"/bound-*.ics; do bound_args+=(--dates "$file"); done
  /usr/bin/time -f "%U %S %M" -o "$scratch/bound-time.txt" \
    "$trevalda" --describe 01/01/2027 --to 31/12/2036 "${bound_args[@]}" >/dev/null
  read -r user system kib <"$scratch/bound-time.txt"
  echo "$kind: $(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }') s de procesador," \
    "$((kib / 1024)) MB como mucho"
done
echo "Carga al acabar (1, 5, 15 min): $(cut -d' ' -f1-3 /proc/loadavg)"

if [ "$micro" -eq 1 ]; then
  echo
  echo "== Google Benchmark"
  TREVALDA_BENCH_TMP="$scratch" "$PWD/$build/bench/page_bench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_min_time=0.2
fi
# The targets are reported, not enforced: timings on a shared machine vary.
exit 0
