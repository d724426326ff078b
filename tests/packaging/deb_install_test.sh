#!/usr/bin/env bash
# Installs the .deb on this machine with apt-get, uses it as a user would
# (the command from PATH, its man page, its completion), removes it and
# checks that nothing of it is left. Changes the system, so it runs as root
# only (CI); otherwise it says so and passes.
#   tests/packaging/deb_install_test.sh trevalda_VERSION_amd64.deb
set -uo pipefail
deb="$(realpath "$1")"
if [ "$(id -u)" -ne 0 ]; then
  echo "deb_install_test: omitido (instala paquetes del sistema: hace falta root)"
  exit 0
fi
if dpkg-query -W -f='${db:Status-Status}' trevalda 2>/dev/null | grep -q installed; then
  echo "deb_install_test: trevalda ya está instalado en esta máquina; no se toca" >&2
  exit 1
fi
work="$(mktemp -d)"
installed=0
cleanup() {
  [ "$installed" -eq 0 ] || apt-get purge -y -qq trevalda >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() {
  echo "FAILED: $*" >&2
  failed=$((failed + 1))
}
export DEBIAN_FRONTEND=noninteractive

dpkg-deb -f "$deb" Depends | grep -qF "fonts-dejavu-core | fonts-liberation" ||
  fail "Depends names no font package: $(dpkg-deb -f "$deb" Depends)"
apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get install"; exit 1; }
installed=1
dpkg-query -L trevalda >"$work/files"

[ "$(command -v trevalda)" = /usr/bin/trevalda ] || fail "trevalda is not on PATH"
mkdir "$work/out"
(cd / && env -i PATH=/usr/bin:/bin trevalda 07/12/2026 -o "$work/out" >"$work/stdout" 2>"$work/stderr") ||
  fail "trevalda 07/12/2026"
[ "$(cat "$work/stdout")" = "Grabado 07-12-2026" ] || fail "report: $(cat "$work/stdout" "$work/stderr")"
[ "$(stat -c %s "$work/out/07-12-2026.bmp" 2>/dev/null)" = 2677286 ] || fail "the page is missing or short"
[ "$(head -c 2 "$work/out/07-12-2026.bmp")" = BM ] || fail "the page is not a BMP"
trevalda --version | grep -q "^trevalda $(dpkg-deb -f "$deb" Version) (Linux " || fail "--version"

[ "$(man -w trevalda 2>/dev/null)" = /usr/share/man/man1/trevalda.1.gz ] || fail "man -w trevalda"
warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings trevalda 2>&1 >/dev/null)"
[ -z "$warnings" ] || fail "man trevalda: $warnings"

completion=/usr/share/bash-completion/completions/trevalda
[ -f "$completion" ] || fail "no bash completion"
offered="$(bash -c 'source "$1"; COMP_WORDS=(trevalda --form); COMP_CWORD=1; _trevalda; echo "${COMPREPLY[*]}"' _ "$completion")"
[ "$offered" = "--format" ] || fail "completion of --form: $offered"

for doc in copyright changelog.gz README.md; do
  [ -f "/usr/share/doc/trevalda/$doc" ] || fail "no /usr/share/doc/trevalda/$doc"
done

apt-get purge -y -qq trevalda >"$work/apt.log" 2>&1 || fail "apt-get purge"
installed=0
! dpkg-query -W trevalda >/dev/null 2>&1 || fail "dpkg still knows trevalda"
hash -r
[ -z "$(command -v trevalda)" ] || fail "trevalda is still on PATH"
while read -r path; do
  # Folders other packages share stay; every file and own folder goes.
  if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == */trevalda ]]; }; then
    fail "left behind: $path"
  fi
done <"$work/files"

echo "deb_install_test: $failed failures"
[ "$failed" -eq 0 ]
