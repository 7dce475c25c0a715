#!/usr/bin/env bash
# retailhost printing a sheet the way its print buttons do, for scripts: the template print
# exported to PDF with its text layer and read back with pdftotext (sheet number, warehouse, the
# totals of the gain/loss amounts), the preview window's picture, and the mistakes a script can
# make answered with what to do instead.
set -uo pipefail
host="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
fail=0
bad() { echo "FAIL: $*"; fail=1; }
expect() { # expect RC PATTERN -- command...
  local rc="$1" pattern="$2"; shift 3
  local out got
  out=$(timeout 120 "$@" 2>&1); got=$?
  if [ "$got" -ne "$rc" ] || ! grep -q -- "$pattern" <<<"$out"; then
    bad "$* -> exit $got (want $rc), output: $out"
  fi
}

db="$work/demo.db"
"$host" init-demo --db "$db" --lines 80 >"$work/init.txt" || { echo "init-demo failed"; exit 1; }
djh=$(sed -n 's/^ *large sheet: //p' "$work/init.txt")
header=$("$host" call --db "$db" 33 "$djh")
col() { awk -F'\t' -v name="$1" 'NR==2 { for (i = 1; i <= NF; i++) if ($i == name) c = i } NR==3 { print $c }' <<<"$header"; }
ckbm=$(col f_Ckbm); ckmc=$(col f_Ckmc)
# The printed totals add up the lines rounded to cents, shown with thousands separators.
lines=$("$host" call --db "$db" 34 "$(printf '%s\t%s\t%s\t%s' "$djh" "${djh:0:8}" "${djh:0:8}" "$ckbm")")
total() {
  awk -F'\t' -v name="$1" 'NR==2 { for (i = 1; i <= NF; i++) if ($i == name) c = i }
    NR>2 { s += sprintf("%.2f", $c) } END { printf "%.2f", s }' <<<"$lines" |
    sed -E ':a; s/^(-?[0-9]+)([0-9]{3})/\1,\2/; ta'
}
ws=$(total f_Syjews); hs=$(total f_Syjehs)
# The grid's footer adds up the lines as the server sent them.
rawtotal() {
  awk -F'\t' -v name="$1" 'NR==2 { for (i = 1; i <= NF; i++) if ($i == name) c = i }
    NR>2 { s += $c } END { printf "%.2f", s }' <<<"$lines"
}
gridws=$(rawtotal f_Syjews)
[ -n "$ckmc" ] && [ -n "$ws" ] || { echo "cannot read the sheet: $header"; exit 1; }

out=$(timeout 120 "$host" --db "$db" --sheet "$djh" --print-mode template --export "pdf:$work/sheet.pdf" \
  --option SearchableText=1 2>&1); rc=$?
[ $rc -eq 0 ] || bad "template export: exit $rc: $out"
grep -q '^pages: [1-9]' <<<"$out" || bad "template export names no pages: $out"
text=$(pdftotext -layout "$work/sheet.pdf" - 2>/dev/null)
for want in "单据号:$djh" "仓库:$ckbm $ckmc" "合计:80条" "$ws" "$hs" "盘点人:"; do
  grep -qF -- "$want" <<<"$text" || bad "the PDF has no \"$want\""
done
pages=$(pdfinfo "$work/sheet.pdf" | awk '/^Pages:/ { print $2 }')
grep -q "^pages: $pages\$" <<<"$out" || bad "the PDF has $pages pages, the run said: $out"

# The normal print: the grid as shown under the title and the condition text.
out=$(timeout 120 "$host" --db "$db" --sheet "$djh" --print-mode normal --export "pdf:$work/normal.pdf" \
  --option SearchableText=1 2>&1); rc=$?
[ $rc -eq 0 ] || bad "normal export: exit $rc: $out"
text=$(pdftotext -layout "$work/normal.pdf" - 2>/dev/null)
for want in "盘点损益表" "$djh" "仓库名称:  $ckmc" "合计:80条" "$gridws"; do
  grep -qF -- "$want" <<<"$text" || bad "the normal print has no \"$want\""
done
expect 0 "written: $work/normal.png" -- "$host" --db "$db" --sheet "$djh" --print-mode normal \
  --preview-screenshot "$work/normal.png"

# The template named by its name, written as spreadsheet; the preview window's picture.
expect 0 "written: $work/sheet.xls" -- "$host" --db "$db" --sheet "$djh" --print-mode template \
  --template '盘点损益表(标准格式)' --export "xls:$work/sheet.xls"
/usr/bin/python3 -c "
import sys, xlrd
s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
cells = [str(s.cell_value(r, c)) for r in range(s.nrows) for c in range(s.ncols)]
sys.exit(0 if any(sys.argv[2] in v for v in cells) else 1)" "$work/sheet.xls" "$djh" ||
  bad "xlrd finds no sheet number in the spreadsheet"
expect 0 "written: $work/preview.png" -- "$host" --db "$db" --sheet "$djh" --print-mode template \
  --preview-screenshot "$work/preview.png"
[ "$(identify -format %m "$work/preview.png" 2>/dev/null)" = PNG ] || bad "no preview picture"

# Mistakes.
expect 2 'normal or template'      -- "$host" --db "$db" --sheet "$djh" --print-mode fancy --export "pdf:$work/x.pdf"
expect 2 'FORMAT:FILE'             -- "$host" --db "$db" --sheet "$djh" --print-mode template --export "$work/x.pdf"
expect 2 'one of --export, --print' -- "$host" --db "$db" --sheet "$djh" --print-mode template
expect 2 'one of --export, --print' -- "$host" --db "$db" --sheet "$djh" --template x --export "pdf:$work/x.pdf"
expect 1 'templates: "'            -- "$host" --db "$db" --sheet "$djh" --print-mode template --template nope \
  --export "pdf:$work/x.pdf"
expect 1 'formats: txt'            -- "$host" --db "$db" --sheet "$djh" --print-mode template --export "doc:$work/x.doc"
expect 1 'SearchableText'          -- "$host" --db "$db" --sheet "$djh" --print-mode template --export "pdf:$work/x.pdf" \
  --option Nope=1
[ ! -e "$work/x.pdf" ] || bad "a failed run left $work/x.pdf behind"
exit $fail
