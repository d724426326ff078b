#!/usr/bin/env bash
# Takes a picture of a Windows program's dialog for the README.
#
#   scripts/screenshot-dialog.sh [OUT.png]            trevalda.exe; default docs/dialog.png
#   scripts/screenshot-dialog.sh --agenda [OUT.png]   trevalda-agenda.exe with example choices
#                                                     (agenda.ini); default docs/agenda-dialog.png
#
# Builds trevalda.exe with the "windows" preset when it is missing, starts it
# under Wine on a virtual X display (Xvfb) with a throw-away Wine prefix in
# which Wine draws the window frames itself (there is no window manager),
# captures the dialog with ImageMagick's `import` and cleans everything up.
# The pickers show the day (or the year) the picture is taken.
set -euo pipefail
cd "$(dirname "$0")/.."
program=trevalda title=Trevalda target=trevalda default_out=docs/dialog.png settings=""
if [ "${1-}" = --agenda ]; then
  program=trevalda-agenda title="Trevalda - Agenda" target=trevalda_agenda_dialog
  default_out=docs/agenda-dialog.png
  settings=$'desde=01/01/2027\nhasta=31/12/2027\nformato=pdf\npapel=a5\nmargen=8\nfestivos=1\n'
  settings+=$'planificador=1\nnotas=2\nestilo=moderno\nhoras=8-21\nlugar=Sevilla\n'
  settings+=$'fechas1=C:\\users\\ana\\Documents\\cumpleaños.txt\nfechas2=C:\\users\\ana\\Documents\\trabajo.ics\n'
  settings+=$'carpeta=C:\\users\\ana\\Documents\n'
  shift
fi
out="${1:-$default_out}"
build="${TREVALDA_WINDOWS_BUILD:-build/windows}"
exe="$build/app/$program.exe"

for tool in xvfb-run wine wineserver import xwininfo; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "screenshot-dialog: falta $tool (scripts/setup-deps.sh --windows --tools)" >&2
    exit 2
  }
done
if [ ! -f "$exe" ]; then
  cmake --preset windows -B "$build" >/dev/null
  cmake --build "$build" --target "$target" -j "$(nproc)"
fi

exe="$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")"
work="$(mktemp -d)"
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

cat >"$work/shot.sh" <<'INNER'
#!/usr/bin/env bash
# Runs inside xvfb-run: the program, the date, the picture.
set -euo pipefail
exe="$1" out="$2" work="$3" title="$4" settings="$5"
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
if [ -n "$settings" ]; then
  appdata="$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)"
  mkdir -p "$appdata/Trevalda"
  printf '%s' "$settings" >"$appdata/Trevalda/agenda.ini"
fi
wineserver --wait || true
(cd "$work" && exec wine "$exe") &
id=""
for _ in $(seq 1 300); do
  id="$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$title\"" 'index($0, t) {print $1; exit}')"
  [ -n "$id" ] && break
  sleep 0.2
done
if [ -z "$id" ]; then
  echo "screenshot-dialog: la ventana \"$title\" no apareció" >&2
  exit 1
fi
sleep 1.5
import -window "$id" "$out"
wineserver -k >/dev/null 2>&1 || true
INNER
chmod +x "$work/shot.sh"

mkdir -p "$(dirname "$out")"
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  "$work/shot.sh" "$exe" "$work/dialog.png" "$work" "$title" "$settings"
cp "$work/dialog.png" "$out"
echo "screenshot-dialog: $out"
