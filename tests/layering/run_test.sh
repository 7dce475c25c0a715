#!/usr/bin/env bash
# The include rules hold for the product's sources, and the checker really finds upward arrows:
# on a small tree with one of each kind of fault it must report exactly the expected lines.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
src="$1"
status=0
if ! python3 "$here/check_includes.py" "$src"; then
  echo "FAIL: the sources break the include rules (lines above)"
  status=1
fi
found="$(python3 "$here/check_includes.py" "$here/upward")"
code=$?
if [ "$code" -ne 1 ] || [ "$found" != "$(cat "$here/upward.expected")" ]; then
  echo "FAIL: the checker's report on the faulty tree differs (exit $code):"
  diff <(echo "$found") "$here/upward.expected"
  status=1
fi
exit $status
