#!/usr/bin/env bash
# What the machine lacks: fonts and memory. A page is saved only when every
# text shows as written, whatever the locale; running out of memory is exit
# code 1 with a reason, never an abort, and leaves no file half-written.
#   resources_test.sh TREVALDA WORK_DIR
set -uo pipefail
trevalda="$(realpath "$1")"
here="$(dirname "$0")"
work="$2/resources-$$"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
# shellcheck source=../cli/checks.sh
. "$here/../cli/checks.sh"

# A face fontconfig takes for Japanese, with no Latin letter: found by the
# program's own configuration in the user's font folder.
home="$work/home"
mkdir -p "$home/data/fonts" "$home/cache"
/usr/bin/python3 "$here/make_kanji_font.py" "$home/data/fonts/kanji.ttf"
user_env=(HOME="$home" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache")

mkdir "$work/c" "$work/ja"
env "${user_env[@]}" LANG=C "$trevalda" 07/12/2026 -o "$work/c" >/dev/null
env "${user_env[@]}" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$trevalda" 07/12/2026 -o "$work/ja" \
  >/dev/null 2>"$work/err"
check "a Japanese locale: the page is saved" test -f "$work/ja/07-12-2026.bmp"
check "a Japanese locale: the same page as in any other" \
  cmp -s "$work/c/07-12-2026.bmp" "$work/ja/07-12-2026.bmp"
env "${user_env[@]}" LANG=ja_JP.UTF-8 "$trevalda" 07/12/2026 --format pdf -o "$work/ja/p.pdf" \
  >/dev/null 2>&1
check "a Japanese locale: the PDF embeds a Latin face" \
  bash -c "pdffonts '$work/ja/p.pdf' | grep -q DejaVu"

# Only that face: nothing saved, and the reason names the face and the letter.
cat >"$work/kanji.conf" <<CONF
<fontconfig><dir>$home/data/fonts</dir><cachedir>$home/cache</cachedir></fontconfig>
CONF
printf '<fontconfig></fontconfig>\n' >"$work/empty.conf"
for form in "bmp:07/12/2026" "png:01/12/2026 --to 03/12/2026 --format png" \
  "pdf:07/12/2026 --format pdf -o d.pdf" "pdf-year:--year 2027 --format pdf"; do
  for config in kanji empty; do
    name="${form%%:*} with the $config configuration"
    dir="$work/$config-${form%%:*}"
    mkdir "$dir"
    # shellcheck disable=SC2086 # the arguments are words
    env -C "$dir" "${user_env[@]}" FONTCONFIG_FILE="$work/$config.conf" "$trevalda" ${form#*:} \
      >"$work/out" 2>"$work/err"
    status=$?
    check "$name: exit code 1 ($status)" test "$status" -eq 1
    check "$name: nothing written" test -z "$(ls -A "$dir")"
    check "$name: no Grabado" test ! -s "$work/out"
    case $config in
      kanji) check "$name: names the face and the letter" \
        grep -q "la fuente «Prueba Kanji» no tiene el carácter «.*» (U+00" "$work/err" ;;
      empty) check "$name: says there is no font" grep -q "no hay ninguna fuente" "$work/err" ;;
    esac
  done
done

# Running out of memory (an address-space limit) while a large --dates
# file is loaded and its entries gathered: exit code 1 with the reason,
# never an abort. (Drawing is left out: an allocation that fails inside
# Cairo's stroking crashes the library itself.) The worker threads' part is
# OrderedWorkTest's.
if [ -n "${TREVALDA_SANITIZED:-}" ]; then
  echo "resources_test: the address-space limits are left out in a sanitizer build"
else
for _ in $(seq 1 9000); do
  echo "12/10 Una entrada larga que ocupa memoria en cada una de las páginas de octubre"
done >"$work/fechas.txt"
limits=0
for limit in $(seq 10000 1000 16000); do
  (ulimit -v "$limit" && exec "$trevalda" --describe 01/10/2026 --to 31/10/2026 \
    --dates "$work/fechas.txt") >/dev/null 2>"$work/err"
  status=$?
  check "ulimit -v $limit: exit code 0 or 1 ($status)" test "$status" -le 1
  if [ "$status" -eq 1 ]; then
    limits=$((limits + 1))
    check "ulimit -v $limit: says why" grep -q "no queda memoria" "$work/err"
  fi
done
check "some limit made memory run out" test "$limits" -gt 0
fi

finish_checks
