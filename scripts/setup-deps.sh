#!/usr/bin/env bash
# Installs the Debian packages Trevalda needs to build, run and test, but only
# those that are missing. `apt-get update` runs first, and only when something
# has to be installed.
#
#   scripts/setup-deps.sh            packages for the Linux build and its tests
#   scripts/setup-deps.sh --windows  also the MinGW-w64 cross compiler and Wine
#   scripts/setup-deps.sh --perf     also hyperfine, time and strace
#   scripts/setup-deps.sh --fuzz     also clang and its fuzzer runtime
#   scripts/setup-deps.sh --packaging  also what makes and checks the packages
#   scripts/setup-deps.sh --all      everything (what CI uses)
set -euo pipefail

linux_packages=(
  build-essential cmake pkg-config
  libgtest-dev googletest libbenchmark-dev
  libcairo2-dev libfontconfig-dev libfreetype-dev libpng-dev zlib1g-dev
  fontconfig fonts-dejavu-core fonts-liberation
  poppler-utils qpdf python3 valgrind
  python3-fonttools  # a test makes a CJK font without Latin letters
  python3-ephem tzdata  # the almanac is compared with PyEphem
  python3-recurring-ical-events python3-icalendar python3-dateutil python3-tz  # the calendar reference
  mandoc groff man-db  # the man page is checked with all three
  tzdata unicode-cldr-core  # time zones: the tz database and CLDR's Windows zone names
)
windows_packages=(
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine fonts-wine xvfb xauth googletest
  imagemagick
)
tool_packages=(
  hyperfine imagemagick x11-utils
)
# Benchmarks, whole-process timing and the libFuzzer build.
perf_packages=(
  hyperfine time strace imagemagick valgrind
)
# The packages and their checks: the .deb and the Windows installer.
packaging_packages=(
  dpkg-dev file lintian nsis unzip
)
fuzz_packages=(
  clang libclang-rt-14-dev
)

wanted=("${linux_packages[@]}")
for arg in "$@"; do
  case "$arg" in
    --windows) wanted+=("${windows_packages[@]}") ;;
    --tools) wanted+=("${tool_packages[@]}") ;;
    --perf) wanted+=("${perf_packages[@]}") ;;
    --fuzz) wanted+=("${fuzz_packages[@]}") ;;
    --packaging) wanted+=("${packaging_packages[@]}") ;;
    --all) wanted+=("${windows_packages[@]}" "${tool_packages[@]}" "${perf_packages[@]}" "${fuzz_packages[@]}"
                 "${packaging_packages[@]}") ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "setup-deps: opción desconocida: $arg" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$pkg")
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
echo "setup-deps: instalando ${missing[*]}" >&2
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
