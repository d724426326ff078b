#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan on) in
# a build folder of their own and runs each for a bounded time, starting
# from the committed seed corpus. Exits non-zero when a target crashes or a
# sanitizer reports; the input that did it is kept in build/fuzz/crashes/.
# The date and command-line targets get the full time, the readers of date
# lists, .ics calendars and time zones half of it each (small grammars that
# saturate sooner), so the whole run stays at two and a half times the time
# given. The time-zone target also starts from a few of the system's zone
# files (copied into its scratch corpus, not committed).
#   scripts/fuzz.sh            60 seconds per target (30 for the three readers)
#   scripts/fuzz.sh 20         20 seconds per target (10 for the three readers)
# TREVALDA_FUZZ_BUILD=<dir> chooses another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
case "$seconds" in
  '' | *[!0-9]*) echo "fuzz: los segundos deben ser un número entero: $seconds" >&2; exit 2 ;;
esac
build="${TREVALDA_FUZZ_BUILD:-build/fuzz}"
targets=(date_fuzzer cli_args_fuzzer date_list_fuzzer calendar_fuzzer time_zone_fuzzer)
half_time=" date_list_fuzzer calendar_fuzzer time_zone_fuzzer "

scripts/setup-deps.sh --fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTREVALDA_BUILD_FUZZERS=ON -DTREVALDA_WERROR=ON -DTREVALDA_STATIC_GRAPHICS=OFF -DTREVALDA_BUILD_TESTS=OFF -DTREVALDA_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus; the committed seeds stay as they are.
  work="$build/corpus/$target"
  crashes="$build/crashes/$target"
  mkdir -p "$work" "$crashes"
  if [ "$target" = time_zone_fuzzer ]; then
    for zone in Europe/Madrid Australia/Lord_Howe America/New_York; do
      { printf '\0'; cat "/usr/share/zoneinfo/$zone"; } >"$work/seed-${zone//\//-}"
    done
  fi
  time="$seconds"
  if [[ "$half_time" == *" $target "* ]]; then
    time=$(((seconds + 1) / 2))
  fi
  echo "fuzz: $target durante $time s" >&2
  if ! "$build/fuzz/$target" -max_total_time="$time" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$crashes/" "$work" "fuzz/corpus/$target"; then
    echo "fuzz: $target ha fallado; la entrada está en $crashes/" >&2
    status=1
  fi
done
exit "$status"
