#!/usr/bin/env bash
# Report files as the command line meets them at their edges: empty files are named as empty,
# every spelling of the host's hexadecimal text reads the same in `info`, `resave` and `dump`,
# and a report stream cut off before its end is reported while what is there still loads.
set -uo pipefail
vnreport="$1"
examples="$2"
source "$(dirname "$0")/vnreport_work.sh"
fail=0
check() { # check WHAT RC PATTERN -- command...
  local what="$1" rc="$2" pattern="$3"; shift 4
  local out got
  out=$("$@" 2>&1); got=$?
  if [ "$got" -ne "$rc" ] || ! grep -qF -- "$pattern" <<<"$out"; then
    echo "FAIL: $what: exit $got (want $rc, '$pattern'): $out"; fail=1
  fi
}

# Empty files: each command says so, and fails.
for ext in vnf vnt vnd; do
  : > "$work/empty.$ext"
  check "info empty .$ext"   1 "is empty (0 bytes)" -- "$vnreport" info "$work/empty.$ext"
  check "resave empty .$ext" 1 "is empty (0 bytes)" -- "$vnreport" resave "$work/empty.$ext" "$work/out.vnf"
  check "dump empty .$ext"   1 "is empty (0 bytes)" -- "$vnreport" dump "$work/empty.$ext"
done
check "render empty .vnf" 1 "is empty (0 bytes)" -- "$vnreport" render "$work/empty.vnf" --out "$work/pages"

# The host's hexadecimal text with and without its closing "#", with line ends, in lower case.
od -An -v -tx1 "$examples/guide_goods.vnf" | tr -d ' \n' | tr a-f A-F | sed 's/$/#/' > "$work/hash.hex"
"$vnreport" resave "$work/hash.hex" "$work/hash.vnf" || { echo "FAIL: resave of the hex text"; fail=1; }
hex=$(tr -d '#\r\n' < "$work/hash.hex")
printf '%s' "$hex" > "$work/bare.hex"
printf '%s\n' "$hex" > "$work/lf.hex"
printf '%s\r\n' "$hex" > "$work/crlf.hex"
printf '%s#' "$hex" | tr A-F a-f > "$work/lower.hex"
for v in bare lf crlf lower; do
  check "info $v hex" 0 "format: hexadecimal report text" -- "$vnreport" info "$work/$v.hex"
  "$vnreport" resave "$work/$v.hex" "$work/$v.vnf" && cmp -s "$work/$v.vnf" "$work/hash.vnf" \
    || { echo "FAIL: resave of $v hex text differs from the text with #"; fail=1; }
  [ "$("$vnreport" dump "$work/$v.hex")" = "$("$vnreport" dump "$work/hash.hex")" ] \
    || { echo "FAIL: dump of $v hex text differs from the text with #"; fail=1; }
done

# A stream cut off before its closing dictionary section: the views that are there load and are
# listed, the cut is reported, and resave refuses to write the shorter report as if complete.
full="$examples/guide_goods.vnf"
head -c $(( $(stat -c %s "$full") - 15 )) "$full" > "$work/cut.vnf"
views=$("$vnreport" info "$full" | grep -c '^view ')
check "info of a cut stream" 1 "报表文件不完整" -- "$vnreport" info "$work/cut.vnf"
[ "$("$vnreport" info "$work/cut.vnf" 2>/dev/null | grep -c '^view ')" -eq "$views" ] \
  || { echo "FAIL: the views of the cut stream were not loaded"; fail=1; }
check "resave of a cut stream" 1 "报表文件不完整" -- "$vnreport" resave "$work/cut.vnf" "$work/cut-out.vnf"
[ ! -e "$work/cut-out.vnf" ] || { echo "FAIL: resave wrote the cut report"; fail=1; }
check "render of a cut stream" 1 "报表文件不完整" -- "$vnreport" render "$work/cut.vnf" --out "$work/cut-pages"
exit $fail
