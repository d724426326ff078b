#!/usr/bin/env bash
# A real full disk: `trevalda` runs with a file-size limit below one page
# (SIGXFSZ ignored, so the write fails with EFBIG instead of killing the
# process; at the end the same without ignoring it, which the tool must do
# itself). It must exit with 1, say on stderr that the page was not saved,
# keep an existing page byte for byte and leave no temporary file.
#   full_disk_test.sh TREVALDA WORK_DIR
set -euo pipefail
trevalda="$(realpath "$1")"
work="$2/full_disk-$$"
rm -rf "$work"
mkdir -p "$work/ref" "$work/out"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FALLO: $*" >&2; failures=$((failures + 1)); }

# Runs trevalda under a limit of $1 KiB per file.
limited() {
  local kib="$1"
  shift
  bash -c 'trap "" XFSZ; ulimit -f "$0"; exec "$@"' "$kib" "$trevalda" "$@"
}

# Only the page itself may be in the folder.
only_page() {
  local listing
  listing="$(ls -A "$work/out")"
  [ "$listing" = "$1" ] || fail "la carpeta contiene: $(echo "$listing" | tr '\n' ' ')"
}

"$trevalda" 07/12/2026 -o "$work/ref" >/dev/null
"$trevalda" 06/12/2026 -o "$work/ref" >/dev/null
page=07-12-2026.bmp

for kib in 0 1 100 2614; do
  # Over an existing page (a whole, valid page of another date).
  cp "$work/ref/06-12-2026.bmp" "$work/out/$page"
  # The limit binds every file the process writes, so its messages go
  # through a pipe; stdout goes to /dev/null, where "Grabado" would be lost.
  set +e
  errors="$(limited "$kib" 07/12/2026 -o "$work/out" 2>&1 >/dev/null)"
  status=$?
  set -e
  [ "$status" -eq 1 ] || fail "límite ${kib} KiB: código de salida $status, no 1"
  case "$errors" in
    *"trevalda: no se pudo grabar"*) ;;
    *) fail "límite ${kib} KiB: stderr no dice que no se grabó: $errors" ;;
  esac
  case "$errors" in
    *"escribir"* | *"crear"*) ;;
    *) fail "límite ${kib} KiB: el mensaje no dice qué paso falló: $errors" ;;
  esac
  # Nothing on stdout: no "Grabado" for a page that was not saved.
  set +e
  said="$(limited "$kib" 07/12/2026 -o "$work/out" 2>/dev/null)"
  set -e
  [ -z "$said" ] || fail "límite ${kib} KiB: stdout no está vacío: $said"
  cmp -s "$work/ref/06-12-2026.bmp" "$work/out/$page" || fail "límite ${kib} KiB: la hoja anterior ha cambiado"
  only_page "$page"

  # Into an empty folder: nothing at all is left.
  rm -f "$work/out/$page"
  set +e
  limited "$kib" 07/12/2026 -o "$work/out" >/dev/null 2>&1
  status=$?
  set -e
  [ "$status" -eq 1 ] || fail "límite ${kib} KiB, carpeta vacía: código de salida $status, no 1"
  only_page ""
done

# With room enough the same command writes the whole page.
limited 4096 07/12/2026 -o "$work/out" >/dev/null || fail "con sitio suficiente no se graba"
cmp -s "$work/ref/$page" "$work/out/$page" || fail "la hoja grabada no es la hoja de referencia"
only_page "$page"

# The limit as a user sets it, SIGXFSZ not ignored beforehand: the tool
# does not die of it, says why, and leaves no temporary file; for a page, a
# PNG range and a year's PDF alike.
while read -r kib args; do
  rm -rf "$work/out" && mkdir "$work/out"
  set +e
  # shellcheck disable=SC2086
  errors="$(cd "$work/out" && bash -c 'ulimit -f "$0"; exec "$@"' "$kib" "$trevalda" $args 2>&1 >/dev/null)"
  status=$?
  set -e
  [ "$status" -eq 1 ] || fail "ulimit -f $kib, $args: código de salida $status, no 1"
  case "$errors" in
    *"tamaño máximo permitido"*) ;;
    *) fail "ulimit -f $kib, $args: stderr no dice por qué: $errors" ;;
  esac
  [ -z "$(find "$work/out" -mindepth 1 -name '.*')" ] || fail "ulimit -f $kib, $args: queda $(ls -A "$work/out")"
done <<'RUNS'
1000 07/12/2026
10 28/02/2024 --to 01/03/2024 --format png
100 --year 2027 --format pdf
RUNS

[ "$failures" -eq 0 ] || exit 1
echo "full_disk_test: bien"
