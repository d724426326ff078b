#!/usr/bin/env bash
# The Windows installer under Wine, as a user would meet it: silent install,
# the installed trevalda-cli.exe makes the same page as the built one, the
# Start-menu shortcut starts the dialog in the user's Documents folder, the
# uninstaller is registered, and a silent uninstall leaves nothing behind.
# Also checks what the portable zip holds.
#   tests/packaging/windows_installer_test.sh BUILD_DIR    (after the package target)
set -uo pipefail
build="$(realpath "$1")"
here="$(cd "$(dirname "$0")/../.." && pwd)"
installer="$(ls "$build"/trevalda-*-win64.exe)"
zip="$(ls "$build"/trevalda-*-win64.zip)"
version="$(basename "$installer" | sed 's/^trevalda-\(.*\)-win64\.exe$/\1/')"
failed=0
fail() {
  echo "FAILED: $*" >&2
  failed=$((failed + 1))
}

# The build's own Wine prefix (cmake/wine-run.sh); no desktop menu entries
# for the shortcut.
export TREVALDA_WINEPREFIX="$build/wine-prefix"
export WINEPREFIX="$TREVALDA_WINEPREFIX"
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
wine_run() { "$here/cmake/wine-run.sh" "$@"; }
wait_wine() { wineserver --wait 2>/dev/null || true; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Trevalda'
drive_c="$WINEPREFIX/drive_c"
target_dir="$drive_c/Program Files/Trevalda"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Trevalda.lnk"
agenda_shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Trevalda - Agenda.lnk"
work="$(mktemp -d -p "$build")"
trap 'rm -rf "$work"' EXIT

# The zip: the three programs and the texts, in one folder.
listing="$(unzip -Z1 "$zip" | sort)"
expected="$(printf "trevalda-$version-win64/%s\n" LICENSE.txt README.txt trevalda-agenda.exe trevalda-cli.exe \
  trevalda.exe | sort)"
[ "$listing" = "$expected" ] || fail "zip holds:"$'\n'"$listing"

[ ! -e "$target_dir" ] || fail "already installed in $target_dir"
wine_run "$installer" /S || fail "the installer exits non-zero"
wait_wine
for file in trevalda.exe trevalda-agenda.exe trevalda-cli.exe README.txt LICENSE.txt Desinstalar.exe; do
  [ -f "$target_dir/$file" ] || fail "not installed: $file"
done

# The installed command line makes the page the built one makes.
mkdir -p "$work/installed" "$work/built"
(cd "$work/installed" && wine_run 'C:\Program Files\Trevalda\trevalda-cli.exe' 07/12/2026 >"$work/out" 2>&1) ||
  fail "installed trevalda-cli.exe: $(cat "$work/out")"
tr -d '\r' <"$work/out" | grep -qx "Grabado 07-12-2026" || fail "report: $(cat "$work/out")"
(cd "$work/built" && wine_run "$build/app/trevalda-cli.exe" 07/12/2026 >/dev/null 2>&1)
if [ ! -s "$work/installed/07-12-2026.bmp" ] ||
  ! cmp -s "$work/installed/07-12-2026.bmp" "$work/built/07-12-2026.bmp"; then
  fail "the installed program's page differs from the built one's"
fi
tr -d '\r' < <(wine_run 'C:\Program Files\Trevalda\trevalda-cli.exe' --version) |
  grep -qx "trevalda $version (Windows x86_64)" || fail "--version of the installed program"

# The Start-menu shortcut: the dialog, started in the user's Documents.
if [ -f "$shortcut" ]; then
  mapfile -t link < <(wine_run "$build/tests/windows/shortcut_info.exe" \
    'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Trevalda.lnk' | tr -d '\r')
  [ "${link[0]-}" = 'C:\Program Files\Trevalda\trevalda.exe' ] || fail "shortcut target: ${link[0]-}"
  [ "${link[1]-}" = '%USERPROFILE%\Documents' ] || fail "shortcut working folder: ${link[1]-}"
  if [ -z "${link[2]-}" ] || [ "${link[2]-}" != "${link[3]-}" ]; then
    fail "the working folder ${link[2]-} is not the Documents folder ${link[3]-}"
  fi
else
  fail "no Start-menu shortcut"
fi
# "Trevalda - Agenda": the agenda dialog.
if [ -f "$agenda_shortcut" ]; then
  mapfile -t link < <(wine_run "$build/tests/windows/shortcut_info.exe" \
    'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Trevalda - Agenda.lnk' | tr -d '\r')
  [ "${link[0]-}" = 'C:\Program Files\Trevalda\trevalda-agenda.exe' ] ||
    fail "agenda shortcut target: ${link[0]-}"
else
  fail "no Start-menu shortcut \"Trevalda - Agenda\""
fi

# "Programs and Features".
registered="$(wine_run reg query "$key" 2>/dev/null | tr -d '\r')"
grep -qE "DisplayName +REG_SZ +Trevalda$" <<<"$registered" || fail "DisplayName not registered"
grep -qE "DisplayVersion +REG_SZ +$version$" <<<"$registered" || fail "DisplayVersion not registered"
grep -qF 'UninstallString    REG_SZ    "C:\Program Files\Trevalda\Desinstalar.exe"' <<<"$registered" ||
  fail "UninstallString not registered: $registered"

# Silent uninstall: the files, the shortcut and the registration go.
wine_run 'C:\Program Files\Trevalda\Desinstalar.exe' /S || fail "the uninstaller exits non-zero"
wait_wine
[ ! -e "$target_dir" ] || fail "left behind: $(ls -A "$target_dir")"
[ ! -e "$shortcut" ] || fail "the shortcut is left behind"
[ ! -e "$agenda_shortcut" ] || fail "the agenda shortcut is left behind"
! wine_run reg query "$key" >/dev/null 2>&1 || fail "still registered in Programs and Features"

echo "windows_installer_test: $failed failures"
[ "$failed" -eq 0 ]
