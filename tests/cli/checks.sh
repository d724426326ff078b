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

# The pixel density a PNG file states: "X Y UNIT" from its pHYs chunk, or
# "none".
png_density() {  # png_density FILE
  /usr/bin/python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
at, found = 8, "none"
while at + 8 <= len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    if kind == b"pHYs":
        found = "%d %d %d" % struct.unpack(">IIB", data[at + 8:at + 17])
    at += 12 + length
print(found)
PY
}
