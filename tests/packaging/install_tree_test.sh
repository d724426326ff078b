#!/usr/bin/env bash
# `cmake --install` of a Linux build into a scratch prefix lays out exactly
# the program, its man page, its completion and its documents, and the
# installed program runs.
#   tests/packaging/install_tree_test.sh BUILD_DIR SCRATCH_DIR
set -uo pipefail
build="$1"
mkdir -p "$2"
prefix="$(mktemp -d -p "$2" install-XXXXXX)"
trap 'rm -rf "$prefix"' EXIT
failed=0
fail() {
  echo "FAILED: $*" >&2
  failed=$((failed + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"

man_page=share/man/man1/trevalda.1
extra=()
if grep -q '^TREVALDA_DEB_PACKAGE:BOOL=ON' "$build/CMakeCache.txt"; then
  man_page=$man_page.gz
  extra=(share/doc/trevalda/changelog.gz share/doc/trevalda/copyright)
fi
expected="$(printf '%s\n' bin/trevalda "$man_page" share/bash-completion/completions/trevalda \
  share/doc/trevalda/LICENSE share/doc/trevalda/README.md "${extra[@]}" | sort)"
actual="$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)"
[ "$actual" = "$expected" ] || fail "installed files:"$'\n'"$actual"$'\n'"expected:"$'\n'"$expected"

[ -x "$prefix/bin/trevalda" ] || fail "bin/trevalda is not executable"
"$prefix/bin/trevalda" --version | grep -q '^trevalda [0-9]' || fail "the installed trevalda does not run"
for file in "$man_page" share/doc/trevalda/README.md; do
  [ "$(stat -c %a "$prefix/$file" 2>/dev/null)" = 644 ] || fail "$file is not mode 644"
done
if [[ "$man_page" != *.gz ]]; then
  grep -q '^\.TH TREVALDA 1 .*"trevalda [0-9]' "$prefix/$man_page" || fail "the man page has no version"
fi

echo "install tree checked, $failed failures"
[ "$failed" -eq 0 ]
