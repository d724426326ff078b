# The bookkeeping of the command-line test scripts. Source it, state each
# expectation as `check NAME CONDITION...` (the condition is run as a
# command) and end with `finish_checks`, which prints the count and fails
# when any check did.
passed=0
failed=0

check() {  # check NAME CONDITION...
  local name="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name" >&2
  fi
}

finish_checks() {
  echo "$passed passed, $failed failed"
  test "$failed" -eq 0
}
