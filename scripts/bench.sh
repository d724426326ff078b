#!/usr/bin/env bash
# Builds the release preset and measures one day page:
#   1. the Google Benchmark cases (drawing, bitmap encoding, the whole page
#      command in one process);
#   2. the whole `trevalda DATE` process with hyperfine (median), writing a
#      new page and replacing an existing one, and `--describe` (no drawing);
#   3. the peak memory of one page with /usr/bin/time -v.
# The figures and the machine they come from are printed at the end; copy
# them into docs/performance.md.
#   scripts/bench.sh            everything
#   scripts/bench.sh --quick    fewer repetitions
# TREVALDA_BENCH_BUILD=<dir> chooses another build folder (default
# build/linux, the preset's).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=50
repetitions=5
case "${1:-}" in
  --quick) runs=15; repetitions=1 ;;
  "") ;;
  *) echo "bench: opción desconocida: $1" >&2; exit 2 ;;
esac
build="${TREVALDA_BENCH_BUILD:-build/linux}"

scripts/setup-deps.sh --perf
if [ "$build" = build/linux ]; then
  cmake --preset linux >/dev/null
else
  cmake --preset linux -B "$build" >/dev/null
fi
cmake --build "$build" --target trevalda_cli page_bench -j "$(nproc)" >/dev/null
trevalda="$PWD/$build/app/trevalda"
bench="$PWD/$build/bench/page_bench"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/trevalda-bench.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
date=07/12/2026
page="$scratch/07-12-2026.bmp"

echo "== Máquina"
echo "nproc: $(nproc)"
echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "MHz: $(grep -m1 'cpu MHz' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "Kernel: $(uname -r)"
echo "Sistema de ficheros de $scratch: $(df -T "$scratch" | awk 'NR == 2 {print $2}')"
echo

echo "== Google Benchmark ($bench)"
TREVALDA_BENCH_TMP="$scratch" "$bench" --benchmark_repetitions="$repetitions" \
  --benchmark_report_aggregates_only=true --benchmark_min_time=0.2
echo

# Median of a hyperfine run, in milliseconds.
median_ms() {
  python3 -c 'import json, statistics, sys
r = json.load(open(sys.argv[1]))["results"][0]
print("%.2f" % (statistics.median(r["times"]) * 1000))' "$1"
}

echo "== Proceso entero (hyperfine, $runs ejecuciones)"
hyperfine -N --warmup 5 --runs "$runs" --export-json "$scratch/replace.json" \
  "$trevalda $date -o $scratch" >/dev/null
hyperfine -N --warmup 5 --runs "$runs" --export-json "$scratch/new.json" \
  --prepare "rm -f $page" "$trevalda $date -o $scratch" >/dev/null
hyperfine -N --warmup 5 --runs "$runs" --export-json "$scratch/describe.json" \
  "$trevalda --describe $date" >/dev/null
hyperfine -N --warmup 5 --runs "$runs" --export-json "$scratch/version.json" \
  "$trevalda --version" >/dev/null
hyperfine -N --warmup 1 --runs "$(( runs / 5 + 1 ))" --export-json "$scratch/year.json" \
  "$trevalda --year 2026 --format pdf --quiet -o $scratch/agenda-2026.pdf" >/dev/null
replace_ms="$(median_ms "$scratch/replace.json")"
new_ms="$(median_ms "$scratch/new.json")"
echo "trevalda $date (reemplaza la hoja):  mediana $replace_ms ms   (objetivo <= 10 ms)"
echo "trevalda $date (hoja nueva):         mediana $new_ms ms   (objetivo <= 10 ms)"
echo "trevalda --describe $date:          mediana $(median_ms "$scratch/describe.json") ms"
echo "trevalda --version:                 mediana $(median_ms "$scratch/version.json") ms"
echo "trevalda --year 2026 --format pdf:  mediana $(median_ms "$scratch/year.json") ms (365 hojas)"
echo

echo "== Memoria (/usr/bin/time -v)"
rm -f "$page"
/usr/bin/time -v "$trevalda" "$date" -o "$scratch" >/dev/null 2>"$scratch/time.txt"
peak_kib="$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$scratch/time.txt")"
echo "pico de memoria (RSS máximo): $peak_kib KiB = $((peak_kib / 1024)) MiB   (objetivo <= 30 MB)"
grep -E "Elapsed|Minor|Major|File system outputs|Voluntary" "$scratch/time.txt" | sed 's/^\t//'
/usr/bin/time -v "$trevalda" --year 2026 --format pdf --quiet -o "$scratch/agenda-2026.pdf" \
  >/dev/null 2>"$scratch/time-year.txt"
year_kib="$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$scratch/time-year.txt")"
echo "pico de memoria del año en PDF: $year_kib KiB = $((year_kib / 1024)) MiB"

status=0
awk -v r="$replace_ms" -v n="$new_ms" 'BEGIN { exit !(r <= 10 && n <= 10) }' || status=1
[ "$peak_kib" -le 30000 ] || status=1
if [ "$status" -ne 0 ]; then
  echo "bench: algún objetivo no se cumple" >&2
fi
# The targets are reported, not enforced: timings on a shared machine vary.
exit 0
