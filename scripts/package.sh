#!/usr/bin/env bash
# Makes the packages and, with --test, installs and removes them for real.
#
#   scripts/package.sh deb            build/deb/trevalda_VERSION_amd64.deb, then lintian
#   scripts/package.sh windows        the Windows installer and zip in build/windows/
#   scripts/package.sh --test deb windows
#                                     also the install tests: the .deb with apt-get
#                                     (as root only; skipped otherwise), the
#                                     installer silently under Wine
#
# The .deb comes from a build of its own (-DTREVALDA_DEB_PACKAGE=ON): Release,
# Debian's hardening flags, the graphics libraries shared. The Windows
# packages come from the preset build's `package` target (CPack: NSIS, ZIP).
set -euo pipefail
cd "$(dirname "$0")/.."

test=0
targets=()
for arg in "$@"; do
  case "$arg" in
    --test) test=1 ;;
    deb | windows) targets+=("$arg") ;;
    -h | --help) sed -n '2,13p' "$0"; exit 0 ;;
    *) echo "package: opción desconocida: $arg" >&2; exit 2 ;;
  esac
done
[ "${#targets[@]}" -gt 0 ] || targets=(deb windows)

package_deb() {
  local build=build/deb
  scripts/setup-deps.sh --packaging
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTREVALDA_DEB_PACKAGE=ON -DTREVALDA_WERROR=ON \
    -DTREVALDA_BUILD_TESTS=OFF -DTREVALDA_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
  cmake --build "$build" -j "$(nproc)"
  rm -f "$build"/trevalda_*.deb
  (cd "$build" && cpack -G DEB >/dev/null)
  local deb
  deb="$(ls "$build"/trevalda_*.deb)"
  echo "package: $deb ($(stat -c %s "$deb") bytes)"
  echo "package: Depends: $(dpkg-deb -f "$deb" Depends)"
  # Errors and warnings fail; the informational and pedantic tags are listed.
  local report status=0
  report="$(lintian --fail-on error,warning --display-info --pedantic "$deb" 2>/dev/null)" || status=$?
  [ -z "$report" ] || echo "$report"
  if [ "$status" -ne 0 ]; then
    echo "package: lintian ha encontrado errores o avisos" >&2
    return 1
  fi
  if [ "$test" -eq 1 ]; then
    bash tests/packaging/deb_install_test.sh "$deb"
  fi
}

package_windows() {
  local build=build/windows
  scripts/build-windows.sh
  scripts/setup-deps.sh --packaging
  rm -f "$build"/trevalda-*-win64.exe "$build"/trevalda-*-win64.zip
  cmake --build "$build" --target package -j "$(nproc)" >/dev/null
  local file
  for file in "$build"/trevalda-*-win64.exe "$build"/trevalda-*-win64.zip; do
    echo "package: $file ($(stat -c %s "$file") bytes)"
  done
  if [ "$test" -eq 1 ]; then
    bash tests/packaging/windows_installer_test.sh "$build"
  fi
}

for target in "${targets[@]}"; do
  "package_$target"
done
