#!/usr/bin/env bash
# Drives the built `trevalda` command as a user would and checks what it
# writes, prints and returns.
#   tests/cli/cli_test.sh PATH/TO/trevalda
set -uo pipefail
tool="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/cli/checks.sh
source "$(dirname "$(realpath "${BASH_SOURCE[0]}")")/checks.sh"

# run ARGS...: runs the tool in a fresh folder; sets rc, out, err, dir.
run() {
  dir="$(mktemp -d -p "$work")"
  (cd "$dir" && "$tool" "$@" >"$work/out" 2>"$work/err")
  rc=$?
  out="$(cat "$work/out")"
  err="$(cat "$work/err")"
}

# Dates as people type them, and the page file each gives.
while read -r typed file; do
  run "$typed"
  check "'$typed' saves $file" test "$rc" -eq 0 -a -f "$dir/$file"
  check "'$typed' reports Grabado" test "$out" = "Grabado ${file%.bmp}"
  check "'$typed' writes nothing else" test "$(ls -A "$dir" | wc -l)" -eq 1
  check "'$typed' page size" test "$(stat -c %s "$dir/$file" 2>/dev/null)" = 2677286
done <<'TABLE'
07/12/2026 07-12-2026.bmp
7/12/2026 07-12-2026.bmp
07\12\2026 07-12-2026.bmp
7.12.2026 07-12-2026.bmp
7-1-2026 07-01-2026.bmp
2026-12-07 07-12-2026.bmp
29/02/2024 29-02-2024.bmp
31/12/9999 31-12-9999.bmp
01/01/0001 01-01-0001.bmp
TABLE

run " 07 / 12 / 2026 "
check "blanks around the separators" test "$rc" -eq 0 -a -f "$dir/07-12-2026.bmp"

# Without a date: today's page.
run
today="$(date +%d-%m-%Y)"
check "today's page" test "$rc" -eq 0 -a -f "$dir/$today.bmp" -a "$out" = "Grabado $today"

# Dates that do not exist or cannot be read: exit 2, a message, no file.
bad_dates=("31/02/2026" "00/05/2026" "07/13/2026" "7/12/26" "hoy" "" "07/12/0000"
  "29/02/2026" "07:12:2026" "../07/12/2026" "$(head -c 100000 /dev/zero | tr '\0' 7)")
for typed in "${bad_dates[@]}"; do
  run "$typed"
  check "refuses '${typed:0:20}'" test "$rc" -eq 2 -a -n "$err" -a -z "$(ls -A "$dir")"
  check "short message for '${typed:0:20}'" test "${#err}" -lt 400
done

# One style for every message: "trevalda: " and a lowercase start, whatever
# the layer that refused; a date that cannot be read and one that does not
# exist are told in the same words.
run 31/02/2026
no_such_day="${err//31\/02\/2026/X}"
run 31-02
check "a date that does not exist and one that cannot be read: same words" \
  test "${err//31-02/X}" = "$no_such_day"
for args in "31/02/2026" "7/12/26" "01/01/2026 --to 31/02/2026" "07/12/2026 -o missing" \
  "01/01/2026 --to 02/01/2026 -o missing" "01/01/2026 --to 02/01/2026 --format pdf -o missing/x.pdf" \
  "--year 2027 --format pdf --planner -o missing/x.pdf" "--year 20x" "--tz Marte/Olympus"; do
  # shellcheck disable=SC2086
  run $args
  check "'$args': the message in the one style ($err)" \
    grep -qvE '^trevalda: [A-ZÁÉÍÓÚÑ][a-záéíóúñ]' <<<"$(head -n 1 <<<"$err")"
  check "'$args': starts with the name" test "${err:0:10}" = "trevalda: "
done
run --year 2027 --format pdf --planner -o missing/x.pdf
check "planner: the system's reason in Spanish ($err)" grep -qF "missing/x.pdf (crear): no existe" <<<"$err"

# Bad command lines.
for args in "--bogus" "07/12/2026 08/12/2026" "-o" "--format gif 07/12/2026" \
  "--year 26" "--year 2026 07/12/2026" "--to 01/01/2027" "08/12/2026 --to 07/12/2026" \
  "01/01/2000 --to 01/01/2010"; do
  # shellcheck disable=SC2086
  run $args
  check "refuses '$args'" test "$rc" -eq 2 -a -n "$err" -a -z "$(ls -A "$dir")"
done

# split "A|B|C": the arguments A, B and C in `args` (empty ones and
# newlines kept).
split() { IFS='|' read -r -d '' -a args < <(printf '%s|' "$1") || true; }

# An empty value is not a missing option: exit 2, nothing written.
empty_values=("07/12/2026|--to|" "07/12/2026|--to=" "--year|" "--year=" "07/12/2026|-o|"
  "07/12/2026|--output=" "07/12/2026|--format|" "07/12/2026|-f=")
for spelled in "${empty_values[@]}"; do
  split "$spelled"
  run "${args[@]}"
  check "refuses '${args[*]}' with an empty value" test "$rc" -eq 2 -a -z "$(ls -A "$dir")"
done

# Whatever the user typed comes back with its control characters escaped,
# wherever it is echoed; a path shows as typed; a long date is cut between
# characters.
esc=$'\e]0;HACKED\a\e[2J'
for spelled in "07/12/2026|-o|$esc" "--x$esc" "--format|$esc" "--year|$esc" "07/12/2026|$esc" \
  "07/12/2026|--to|$esc" "$esc" "07/12/2026|-o|b"$'\n'"Grabado 01-01-1999"; do
  split "$spelled"
  run "${args[@]}"
  check "escapes control characters: $(printf %q "$spelled")" \
    test "$rc" -ne 0 -a -z "$out" -a "$(wc -l <"$work/err")" -le 2 -a -n "$err"
  check "no raw control byte: $(printf %q "$spelled")" \
    test "$(tr -d '\n' <"$work/err" | tr -d '\040-\176\200-\377' | wc -c)" -eq 0
done
check "a newline shows as \\n" grep -qF 'b\nGrabado 01-01-1999/07-12-2026.bmp' "$work/err"
run 07/12/2026 -o 日本/missing
check "path as typed" grep -qF "日本/missing/07-12-2026.bmp" "$work/err"
run "a$(printf 'ñ%.0s' {1..50})"
check "long date cut between characters" iconv -f UTF-8 -t UTF-8 "$work/err" -o /dev/null

# --describe prints the page's texts in order, UTF-8.
run --describe 07/12/2026
expected=$'Diciembre\nLunes\n07\nSan Ambrosio\n341/24\nSemana 50\nAño 2026'
check "describe 07/12/2026" test "$out" = "$expected" -a "$rc" -eq 0 -a -z "$(ls -A "$dir")"
run --describe 29/02/2024
expected=$'Febrero\nJueves\n29\nSan Augusto Chapdelaine\n60/306\nSemana 9\nAño 2024'
check "describe 29/02/2024" test "$out" = "$expected" -a "$rc" -eq 0
run --describe 15/08/2027
check "describe keeps the trailing blank" test "$(sed -n 4p "$work/out")" = "Asunción de la Virgen María "
run --describe 31/12/2026 --to 01/01/2027
expected=$'Diciembre\nJueves\n31\nSan Silvestre\n365/0\nSemana 53\nAño 2026\n\nEnero\nViernes\n01\nSanta Maria\n1/364\nSemana 1\nAño 2027'
check "describe a range" test "$out" = "$expected"

# The output folder, and what happens when the page cannot be written.
run 07/12/2026 -o sub
check "missing output folder: exit 1" test "$rc" -eq 1
check "missing output folder: names the file" grep -q "sub/07-12-2026.bmp" "$work/err"
mkdir -p "$work/out-folder"
run 07/12/2026 -o "$work/out-folder"
check "-o folder" test "$rc" -eq 0 -a -f "$work/out-folder/07-12-2026.bmp" -a -z "$(ls -A "$dir")"
mkdir -p "$work/blocked/07-12-2026.bmp"
run 07/12/2026 -o "$work/blocked"
check "a folder in the page's place: exit 1" test "$rc" -eq 1 -a -n "$err"
check "a folder in the page's place stays" test -d "$work/blocked/07-12-2026.bmp"
check "no temporary file left" test "$(ls -A "$work/blocked")" = "07-12-2026.bmp"

# A folder the user may not write to: exit 1, no "Grabado", the old page
# intact. Root writes anywhere, so as root the tool runs as "nobody".
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
locked="$work/locked"
mkdir -p "$locked"
printf 'old page' >"$locked/07-12-2026.bmp"
chmod 755 "$work"
chmod 555 "$locked"
"${as_user[@]}" "$tool" 07/12/2026 -o "$locked" >"$work/out" 2>"$work/err"
rc=$?
check "read-only folder: exit 1" test "$rc" -eq 1
check "read-only folder: no Grabado" test ! -s "$work/out"
check "read-only folder: says why" grep -q "07-12-2026.bmp" "$work/err"
check "read-only folder: old page intact" test "$(cat "$locked/07-12-2026.bmp")" = "old page"
check "read-only folder: nothing added" test "$(ls -A "$locked")" = "07-12-2026.bmp"
chmod 755 "$locked"

# A hostile output folder. Something that is not a regular file at the
# target is refused and left as it is.
dir="$(mktemp -d -p "$work")"
mkfifo "$dir/fifo"
(cd "$dir" && "$tool" --format pdf -o fifo 07/12/2026 >/dev/null 2>"$work/err")
check "a FIFO at the PDF's name: exit 1, kept" test "$?" -eq 1 -a -p "$dir/fifo" -a "$(ls -A "$dir")" = fifo
# A symbolic link that leads to a device or to nothing, and any link in
# /dev, is refused and kept: exit 1, the name as typed, nothing written.
ln -s /dev/null "$dir/null.pdf"
ln -s nowhere.pdf "$dir/broken.pdf"
for name in null.pdf broken.pdf; do
  (cd "$dir" && "$tool" --format pdf -o "$name" 07/12/2026 >/dev/null 2>"$work/err")
  check "a link $name: exit 1" test "$?" -eq 1
  check "a link $name: says so, naming it ($(cat "$work/err"))" \
    grep -qE "^trevalda: no se pudo grabar $name \(crear\): es un enlace simbólico" "$work/err"
  check "a link $name: kept" test -L "$dir/$name"
done
check "links: nothing written" test "$(ls -A "$dir" | tr '\n' ' ')" = "broken.pdf fifo null.pdf "
check "/dev/null still a device" test -c /dev/null
# /dev/stdout itself, which the superuser could otherwise replace: the test
# puts the link back should the tool ever break it.
if [ -L /dev/stdout ]; then
  stdout_link="$(readlink /dev/stdout)"
  "$tool" --format pdf -o /dev/stdout 07/12/2026 >"$work/stdout.pdf" 2>"$work/err"
  rc=$?
  if [ ! -L /dev/stdout ]; then
    rm -f /dev/stdout && ln -s "$stdout_link" /dev/stdout
    check "/dev/stdout is still a link" false
  fi
  check "-o /dev/stdout: exit 1, nothing written ($(cat "$work/err"))" test "$rc" -eq 1 -a ! -s "$work/stdout.pdf"
  check "-o /dev/stdout: a system link" grep -qF "/dev/stdout (crear): es un enlace simbólico del sistema" "$work/err"
fi
# A new page gets 0666 minus the umask; a symbolic link at its name lends it
# nothing and is replaced; a replaced page keeps its bits but no set-user-ID.
mkdir -p "$work/att"
touch "$work/att/.evil" && chmod 4777 "$work/att/.evil"
ln -sf .evil "$work/att/07-12-2026.bmp"
(umask 077 && "$tool" 07/12/2026 -o "$work/att" >/dev/null)
check "page over a symlink: umask mode" test "$(stat -c %a "$work/att/07-12-2026.bmp")" = 600
check "the symlink's target untouched" test "$(stat -c %a "$work/att/.evil")" = 4777 -a ! -s "$work/att/.evil"
chmod 4750 "$work/att/07-12-2026.bmp"
(umask 022 && "$tool" 07/12/2026 -o "$work/att" >/dev/null)
check "replaced page: its bits, no set-user-ID" test "$(stat -c %a "$work/att/07-12-2026.bmp")" = 750
# The eight names the tool once used for its temporary file, made in advance
# by a shell that then becomes the tool, do not stop it; a temporary file a
# killed run left more than an hour ago is removed, a fresh one is not.
dir="$(mktemp -d -p "$work")"
(cd "$dir" && bash -c 'for n in 0 1 2 3 4 5 6 7; do touch ".07-12-2026.bmp.tmp-$$-$n"; done
  touch -d "2 hours ago" .06-12-2026.bmp.trevalda-tmp-0123456789ab
  touch .05-12-2026.bmp.trevalda-tmp-0123456789ab
  exec "$0" 07/12/2026' "$tool" >/dev/null 2>"$work/err")
check "guessable temporary names do not block the save" test "$?" -eq 0 -a -f "$dir/07-12-2026.bmp"
check "a stale temporary file is removed" test ! -e "$dir/.06-12-2026.bmp.trevalda-tmp-0123456789ab"
check "a fresh one stays" test -e "$dir/.05-12-2026.bmp.trevalda-tmp-0123456789ab"

# Standard output. When printing is the job, a failed write is exit 1 with
# a message; when a page is the job, a notice that cannot be printed (a
# closed pipe) does not change the save's exit code.
for args in "--describe 07/12/2026" "--year 2027 --describe" "--help" "--version"; do
  for broken in full closed limited; do
    # shellcheck disable=SC2086
    case "$broken" in
      full) "$tool" $args >/dev/full 2>"$work/err" ;;
      closed) "$tool" $args >&- 2>"$work/err" ;;
      # A file-size limit of 1 KiB, which only the long outputs pass.
      limited)
        [ "$args" = --help ] || [ "$args" = "--year 2027 --describe" ] || continue
        bash -c 'ulimit -f 1; exec "$@" >"$0"' "$work/limited" "$tool" $args 2>"$work/err"
        ;;
    esac
    check "'$args' to a $broken stdout: exit 1 and says so" test "$?" -eq 1 -a -s "$work/err"
  done
done
mkfifo "$work/pipe"
for args in "07/12/2026" "28/02/2024 --to 01/03/2024 --format png"; do
  exec {reader}<>"$work/pipe" {writer}>"$work/pipe" {reader}<&-  # a pipe nobody reads
  run_dir="$(mktemp -d -p "$work")"
  # shellcheck disable=SC2086
  (cd "$run_dir" && exec "$tool" $args 1>&"$writer" 2>/dev/null)
  check "'$args' into a closed pipe: saved, exit 0" test "$?" -eq 0 -a -n "$(ls "$run_dir")"
  exec {writer}>&-
done

# Replacing a page leaves one complete file.
run 07/12/2026
printf 'old' >"$dir/07-12-2026.bmp"
(cd "$dir" && "$tool" 07/12/2026 >/dev/null 2>&1)
check "replaces an old page" test "$(stat -c %s "$dir/07-12-2026.bmp")" = 2677286 -a "$(ls -A "$dir" | wc -l)" -eq 1

# Ranges and formats.
run 28/02/2024 --to 01/03/2024 --format png
check "png range" test "$rc" -eq 0 -a "$(ls "$dir" | tr '\n' ' ')" = "01-03-2024.png 28-02-2024.png 29-02-2024.png "
check "no progress bar off a terminal" test -z "$err"
run --year 2026 --format pdf
check "year pdf" test "$rc" -eq 0 -a -f "$dir/agenda-2026.pdf" -a "$(ls -A "$dir" | wc -l)" -eq 1
check "year pdf pages: the index and 365 days" grep -q "Pages: *366" <(pdfinfo "$dir/agenda-2026.pdf")
run 07/12/2026 --format pdf -o x.pdf.
check "a trailing dot is part of a Linux name" test "$out" = "Grabado x.pdf. (1 página)" -a -f "$dir/x.pdf."
run 31/12/2026 --to 02/01/2027 --format pdf -o "$work/libro.pdf"
check "named pdf: the index and 3 days" grep -q "Pages: *4" <(pdfinfo "$work/libro.pdf")

# Ctrl-C in the middle of a range: exit 130, the finished pages whole, no
# temporary file, and no PDF at all.
interrupt() {  # interrupt SECONDS ARGS...: runs the tool in $dir and sends SIGINT
  local wait="$1"
  shift
  dir="$(mktemp -d -p "$work")"
  # A background job starts with INT ignored, which the tool respects.
  env -C "$dir" --default-signal=INT "$tool" "$@" >/dev/null 2>"$work/err" &
  local pid=$!
  sleep "$wait"
  kill -INT "$pid" 2>/dev/null
  wait "$pid"
  rc=$?
}
interrupt 0.5 --year 2026
if [ "$rc" -eq 130 ]; then
  check "interrupted range: some pages" test "$(ls "$dir" | wc -l)" -ge 1
  check "interrupted range: says so" grep -q "interrumpido" "$work/err"
  check "interrupted range: no temporary file" test -z "$(ls -A "$dir" | grep '^\.')"
  whole=1
  for page in "$dir"/*.bmp; do
    [ "$(stat -c %s "$page")" = 2677286 ] || whole=0
  done
  check "interrupted range: every page whole" test "$whole" -eq 1
else
  check "interrupted range finished or stopped cleanly" test "$rc" -eq 0
fi
interrupt 0.3 01/01/2000 --to 31/12/2009 --format pdf
check "interrupted pdf: exit 130 or done" test "$rc" -eq 130 -o "$rc" -eq 0
if [ "$rc" -eq 130 ]; then
  check "interrupted pdf: no file at all" test -z "$(ls -A "$dir")"
fi

# The agenda: holidays, the user's dates and the ISO week.
printf '%s\n' '# fechas' '05/03 Cumpleaños de Ana' '!pascua+1 Lunes de Pascua' \
  '24/12/2026 Cena' >"$work/fechas.txt"
printf '%s\r\n' BEGIN:VCALENDAR BEGIN:VEVENT 'DTSTART;VALUE=DATE:19900305' RRULE:FREQ=YEARLY \
  'SUMMARY:Santo de Luis\, mi hermano' END:VEVENT BEGIN:VEVENT DTSTART:20260305T080000Z \
  RRULE:FREQ=WEEKLY SUMMARY:Gimnasio END:VEVENT BEGIN:VEVENT DTSTART:20260305T080000Z \
  'RRULE:FREQ=DAILY;COUNT=0' SUMMARY:Nunca END:VEVENT END:VCALENDAR >"$work/cal.ics"
run --describe 06/04/2026 --holidays --dates "$work/fechas.txt" --week iso
expected=$'Abril\nLunes\n06\nSan Prudencio\n96/269\nSemana 15\nAño 2026\nLunes de Pascua'
check "describe with a holiday from the list" test "$out" = "$expected" -a "$rc" -eq 0
run --describe 05/03/2027 --dates "$work/fechas.txt" --dates "$work/cal.ics"
check "describe: entries in file order" test "$(tail -n 2 "$work/out" | tr '\n' '|')" = "Cumpleaños de Ana|Santo de Luis, mi hermano|"
check "describe: the unplaced event is reported with its reason" \
  grep -q "cal.ics: 1 de 3 eventos sin colocar: RRULE con COUNT=0 (línea 12)" "$work/err"
run --describe 04/03/2027 --dates "$work/cal.ics"
check "describe: a weekly event in UTC, in peninsular time" test "$(tail -n 1 "$work/out")" = "09:00 Gimnasio"
# Standard input, read once; CR-only line ends.
printf '05/03 uno\r07/03 dos\r' >"$work/cr.txt"
run --describe 07/03/2027 --dates - <"$work/cr.txt"
check "--dates -: a CR-only list from standard input" test "$(tail -n 1 "$work/out")" = "dos" -a "$rc" -eq 0
run --describe 07/03/2027 --dates - --dates - <"$work/cr.txt"
check "--dates - twice: refused" grep -q "solo se puede leer una vez" "$work/err"
check "--dates - twice: exit 2" test "$rc" -eq 2
run --describe 04/01/2027 --week iso --holidays
check "--week iso" test "$(sed -n 6p "$work/out")" = "Semana 1"
run --describe 12/10/2026 --holidays
check "--holidays" test "$(sed -n 8p "$work/out")" = "Fiesta Nacional de España"
run --describe 25/12/2026 --holidays
check "--holidays: the holiday that is the saint, once" \
  test "$(grep -c "Natividad del Señor" "$work/out")" -eq 1
# Dates without entries keep the classic page; a page with entries differs.
for date in 07/12/2026 13/12/2026 29/02/2024; do
  run "$date"
  classic="$dir/$(echo "$date" | tr / -).bmp"
  (cd "$dir" && "$tool" "$date" --holidays --dates "$work/fechas.txt" -o "$work" >/dev/null 2>&1)
  check "no entries on $date: the classic page" cmp -s "$classic" "$work/$(echo "$date" | tr / -).bmp"
done
run 05/03/2026 --dates "$work/fechas.txt"
(cd "$dir" && "$tool" 05/03/2026 -o "$work" >/dev/null)
check "entries change the page" test "$rc" -eq 0 -a "$(stat -c %s "$dir/05-03-2026.bmp")" = 2677286
check "entries change the page (bytes)" test "$(cmp -s "$dir/05-03-2026.bmp" "$work/05-03-2026.bmp"; echo $?)" -eq 1
run 04/03/2026 --to 06/03/2026 --format pdf --holidays --dates "$work/fechas.txt" --dates "$work/cal.ics"
check "pdf carries the entries" grep -q "Santo de Luis, mi hermano" <(pdftotext "$dir"/*.pdf -)
run 24/12/2026 --to 25/12/2026 --format png --holidays --dates "$work/fechas.txt"
check "png range with the agenda" test "$rc" -eq 0 -a "$(ls "$dir" | wc -l)" -eq 2

# Bad date files: the file as typed, the line, the reason; exit 2, nothing written.
bad_file() {  # bad_file NAME EXPECTED-IN-ERR: CONTENT on stdin
  local name="$1" want="$2"
  cat >"$work/$name"
  run 07/12/2026 --dates "$work/$name"
  check "bad file $name: exit 2, nothing written" test "$rc" -eq 2 -a -z "$(ls -A "$dir")"
  check "bad file $name: says '$want'" grep -qF -- "$want" "$work/err"
}
printf '05/03 Ana\nhola\n' | bad_file nofecha.txt "nofecha.txt:2: no empieza por una fecha"
printf '31/02 Nunca\n' | bad_file febrero.txt "febrero.txt:1: 31/02 no existe"
printf 'pascua+300 Tarde\n' | bad_file pascua.txt "pascua.txt:1: pascua+300 se sale"
printf '05/03 Cumplea\361os\n' | bad_file latin1.txt "latin1.txt:1: el texto no está en UTF-8"
{ printf '05/03 '; head -c 1048576 /dev/zero | tr '\0' x; } | bad_file largo.txt "largo.txt:1: la línea es demasiado larga"
head -c 52428800 /dev/zero | bad_file grande.txt "grande.txt: es demasiado grande"
printf 'BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n' | bad_file roto.ics "roto.ics:2: el calendario termina sin END:VEVENT"
run 07/12/2026 --dates "$work/no-existe.txt"
check "missing file" grep -qF "no-existe.txt: no existe" "$work/err"
check "missing file: exit 2" test "$rc" -eq 2 -a -z "$(ls -A "$dir")"
# A file that is there but cannot be reached says why, not "no existe".
ln -s bucle1 "$work/bucle2" && ln -s bucle2 "$work/bucle1"
run 07/12/2026 --dates "$work/bucle1"
check "a loop of links: says so, exit 2" grep -q "bucle1: hay un bucle de enlaces" "$work/err"
check "a loop of links: exit 2" test "$rc" -eq 2
run 07/12/2026 -o "$work/bucle1"
check "a loop of links as the folder: says so" grep -q "hay un bucle de enlaces" "$work/err"
mkdir -m 0711 "$work/cerrada" && mkdir -m 0700 "$work/cerrada/dentro" && echo "01/01 x" >"$work/cerrada/dentro/f.txt"
as_user=()
# Root may search any folder: the check runs as nobody then.
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
chmod 0711 "$work" && chmod 0755 "$tool" 2>/dev/null
"${as_user[@]}" "$tool" 07/12/2026 --describe --dates "$work/cerrada/dentro/f.txt" >/dev/null 2>"$work/err"
check "a file in a folder that may not be searched: no permission" \
  grep -q "f.txt: no hay permiso" "$work/err"
run 07/12/2026 --dates "$work/mal"$'\t\033'"nombre.txt"
check "control characters in a file name are shown escaped" grep -qF 'mal\t\enombre.txt: no existe' "$work/err"
run 07/12/2026 --tz Marte/Olympus
check "unknown --tz: exit 2, nothing written" test "$rc" -eq 2 -a -z "$(ls -A "$dir")"
check "unknown --tz: named" grep -qF 'zona horaria desconocida: "Marte/Olympus"' "$work/err"
run 07/12/2026 --describe --tz Atlantic/Canary
check "--tz Atlantic/Canary" test "$rc" -eq 0
for args in "--dates" "--dates= 07/12/2026" "--week semana" "--tz" "--tz ../../etc/passwd"; do
  # shellcheck disable=SC2086
  run $args
  check "refuses '$args'" test "$rc" -eq 2 -a -n "$err" -a -z "$(ls -A "$dir")"
done

run 07/12/2026 --format png
check "png: 3780 pixels per metre (96 dpi)" test "$(png_density "$dir/07-12-2026.png")" = "3780 3780 1"

run --help
check "help" test "$rc" -eq 0 -a -n "$(grep -F 'Uso:' "$work/out")"
run --version
check "version" grep -q '^trevalda [0-9]' "$work/out"

finish_checks
