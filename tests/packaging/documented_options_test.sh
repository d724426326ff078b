#!/usr/bin/env bash
# Every long option that `trevalda --help` lists is in the man page and in
# the bash completion, with the values the help names (as in
# "--format bmp|png|pdf"), and neither documents an option the tool lacks.
# The man page must also format without a warning.
#   tests/packaging/documented_options_test.sh TREVALDA MANPAGE COMPLETION
set -uo pipefail
tool="$1"
man_page="$2"
completion="$3"
failed=0
fail() {
  echo "FAILED: $*" >&2
  failed=$((failed + 1))
}

help="$("$tool" --help)" || fail "trevalda --help"
mapfile -t help_options < <(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)
[ "${#help_options[@]}" -ge 5 ] || fail "too few options read from --help: ${help_options[*]}"

mapfile -t man_options < <(grep -oE -- '\\-\\-[a-z]([a-z0-9]|\\-)*' "$man_page" | sed 's/\\//g' | sort -u)
# shellcheck disable=SC1090
source "$completion" || fail "the completion does not load"
# shellcheck disable=SC2154  # set by the completion
mapfile -t completion_options < <(printf '%s\n' "${!_trevalda_options[@]}" | sort -u)

# Lookups read all their input (grep without -q): with pipefail, a grep that
# quits at the first match can fail the printf that feeds it (SIGPIPE).
missing_from() {  # missing_from WHAT LIST...: help options absent from LIST
  local what="$1" option
  shift
  for option in "${help_options[@]}"; do
    printf '%s\n' "$@" | grep -xF -- "$option" >/dev/null || fail "$option is not in the $what"
  done
}
unknown_in() {  # unknown_in WHAT LIST...: options of LIST that --help lacks
  local what="$1" option
  shift
  for option in "$@"; do
    printf '%s\n' "${help_options[@]}" | grep -xF -- "$option" >/dev/null ||
      fail "the $what documents $option, which --help does not list"
  done
}
missing_from "man page" "${man_options[@]}"
missing_from "completion" "${completion_options[@]}"
unknown_in "man page" "${man_options[@]}"
unknown_in "completion" "${completion_options[@]}"

# "--option a|b|c" in the help: the completion offers each value after the
# option, and the man page names each.
while read -r option values; do
  COMP_WORDS=(trevalda "$option" "")
  COMP_CWORD=2
  COMPREPLY=()
  _trevalda
  for value in ${values//|/ }; do
    printf '%s\n' "${COMPREPLY[@]}" | grep -xF -- "$value" >/dev/null ||
      fail "the completion does not offer '$value' after $option"
    grep -qwF -- "$value" "$man_page" || fail "the man page does not name '$value' ($option)"
  done
done < <(grep -oE -- '--[a-z][a-z0-9-]*[ =][a-z0-9]+(\|[a-z0-9]+)+' <<<"$help" | tr '=' ' ' | sort -u)

# The man page formats cleanly wherever the tools are installed.
if command -v mandoc >/dev/null; then
  out="$(mandoc -T lint -W warning "$man_page" 2>&1)" || fail "mandoc -T lint: $out"
  [ -z "$out" ] || fail "mandoc -T lint: $out"
fi
if command -v groff >/dev/null; then
  out="$(groff -ww -z -man "$man_page" 2>&1)"
  [ -z "$out" ] || fail "groff -ww: $out"
fi
if command -v man >/dev/null; then
  out="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man_page" 2>&1 >/dev/null)"
  [ -z "$out" ] || fail "man --warnings: $out"
fi

echo "${#help_options[@]} options checked, $failed failures"
[ "$failed" -eq 0 ]
