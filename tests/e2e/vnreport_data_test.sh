#!/usr/bin/env bash
# Data files as report authors get them: spreadsheet exports with trailing commas, GBK text from
# Chinese desktop tools, and broken files, which must give a clear message naming the file and
# the column or line, never an abort.
set -uo pipefail
vnreport="$1"
examples="$2"
source "$(dirname "$0")/vnreport_work.sh"
report="$examples/goods_list.vnf"
fail=0
expect() { # expect RC PATTERN DATA
  local out rc
  out=$("$vnreport" render "$report" --data "Goods=$3" --out "$work/out" 2>&1); rc=$?
  if [ "$rc" -ne "$1" ] || ! grep -q -- "$2" <<<"$out"; then
    echo "FAIL: data $3 -> exit $rc (want $1, '$2'): $out"; fail=1
  fi
}
csv() { printf "$2" > "$work/$1"; echo "$work/$1"; }

expect 1 'columns 1 and 3 have the same name "Code"' "$(csv dup.csv 'Code,Name,Code\na,b,c\n')"
expect 1 'columns 1 and 2 have the same name "qty"'  "$(csv case.csv 'Qty,qty\n1,2\n')"
expect 1 'column 2 has no name'                      "$(csv empty.csv 'Code,,Name\na,b,c\n')"
expect 1 'column 2 has no name'                      "$(csv blank.csv 'Code, \t ,Name\na,b,c\n')"
expect 1 'line 3: a quoted field is never closed'    "$(csv quote.csv 'Code,Name\na,b\nc,"open\nd,e\n')"
expect 1 'line 2 has 3 values, the header 2'         "$(csv ragged.csv 'Code,Name\na,b,c\n')"
expect 1 'give sqlite:PATH:SELECT'                   "sqlite:$work/none.db:"
# A spreadsheet export with a trailing comma on every line builds.
sed 's/$/,/' "$examples/goods.csv" > "$work/trailing.csv"
expect 0 'pages:' "$work/trailing.csv"
# The same file in GBK is read as GBK: the Chinese names reach the pages.
iconv -f UTF-8 -t GBK "$examples/goods.csv" > "$work/gbk.csv"
expect 0 'pages:' "$work/gbk.csv"
"$vnreport" render "$report" --data "Goods=$work/gbk.csv" --out "$work/gbk" --vnp "$work/gbk.vnp" >/dev/null 2>&1
"$vnreport" render "$report" --data "Goods=$examples/goods.csv" --out "$work/utf8" --vnp "$work/utf8.vnp" >/dev/null 2>&1
cmp -s "$work/gbk.vnp" "$work/utf8.vnp" || { echo "FAIL: the GBK file builds other pages than the UTF-8 one"; fail=1; }
# A build that would pass its page limit stops with the engine's message, and writes no page.
out=$("$vnreport" render "$report" --data "Goods=$examples/goods.csv" --out "$work/limit" --max-pages 2 2>&1)
[ $? -eq 1 ] && grep -q '报表页数超过上限: 2' <<<"$out" && [ -z "$(ls -A "$work/limit" 2>/dev/null)" ] \
  || { echo "FAIL: page limit: $out"; fail=1; }
# Ctrl+C stops a long build cleanly.
for _ in $(seq 40); do cat "$examples/goods.csv"; done | awk 'NR==1 || !/^Code/' > "$work/long.csv"
"$vnreport" render "$report" --data "Goods=$work/long.csv" --out "$work/long" >/dev/null 2>"$work/long.err" &
pid=$!
sleep 0.3; kill -INT $pid; wait $pid; rc=$?
[ $rc -eq 130 ] || [ $rc -eq 0 ] || { echo "FAIL: Ctrl+C gave exit $rc: $(cat "$work/long.err")"; fail=1; }
# SQLite results with a repeated column name.
if command -v sqlite3 >/dev/null; then
  sqlite3 "$work/d.db" "create table t(a,b); insert into t values(1,2);"
  expect 1 'have the same name "a"' "sqlite:$work/d.db:select a, b as a from t"
  # A SELECT's result is bounded; the message names the option that raises the limit.
  sqlite3 "$work/d.db" "insert into t select a + 1, b from t; insert into t select a + 2, b from t;"
  for limit in "--max-rows 3|more than 3 rows (--max-rows raises the limit)" \
               "--max-bytes 40|more than 40 bytes (--max-bytes raises the limit)"; do
    out=$("$vnreport" render "$report" --data "Goods=sqlite:$work/d.db:select a as Code, b as Name from t" \
          ${limit%%|*} --out "$work/capped" 2>&1); rc=$?
    [ $rc -eq 1 ] && grep -qF -- "${limit#*|}" <<<"$out" && [ -z "$(ls -A "$work/capped" 2>/dev/null)" ] \
      || { echo "FAIL: ${limit%%|*}: exit $rc: $out"; fail=1; }
  done
fi
exit $fail
