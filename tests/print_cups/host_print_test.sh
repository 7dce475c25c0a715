#!/usr/bin/env bash
# retailhost printing the stocktake sheet on the private scheduler's default queue (run through
# with_cups.sh), as the sheet's print button does after its confirmation: the queue's PDF holds
# as many pages as the run built and shows the sheet.
set -uo pipefail
host="$1"
[ -n "${CUPS_SANDBOX:-}" ] || { echo "needs with_cups.sh"; exit 1; }
sbx() { "$CUPS_SANDBOX_SCRIPT" "$1" "$CUPS_SANDBOX" "${@:2}"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
fail=0
bad() { echo "FAIL: $*"; fail=1; }

db="$work/demo.db"
"$host" init-demo --db "$db" --lines 80 >"$work/init.txt" || { echo "init-demo failed"; exit 1; }
djh=$(sed -n 's/^ *large sheet: //p' "$work/init.txt")
for mode in template normal; do
  rm -f "$CUPS_SANDBOX/out/vnfile.pdf"
  before=$(sbx last_job vnfile)
  out=$(timeout 120 "$host" --db "$db" --sheet "$djh" --print-mode $mode --print 2>&1); rc=$?
  [ $rc -eq 0 ] || bad "$mode print: exit $rc: $out"
  grep -q '请准备好打印机，进行打印!' <<<"$out" || bad "$mode: the print was not confirmed first: $out"
  pages=$(sed -n 's/^pages: //p' <<<"$out")
  id=$(sbx last_job vnfile)
  [ -n "$id" ] && [ "$id" != "$before" ] && sbx wait_job "$id" 60 || { bad "$mode: no finished job on the default queue"; continue; }
  pdf="$CUPS_SANDBOX/out/vnfile.pdf"
  if [ ! -s "$pdf" ]; then bad "$mode: the default queue wrote no PDF"
  else
    got=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
    [ -n "$pages" ] && [ "$got" = "$pages" ] || bad "$mode: the queue's PDF has $got pages, the run built $pages"
  fi
done
exit $fail
