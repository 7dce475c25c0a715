#!/usr/bin/env bash
# vnreport printers and vnreport print on the private scheduler (run through with_cups.sh): the
# stocktake sheet printed on the cups-pdf queue and read back (also through the print dialog on
# Xvfb), the source reaching the job,
# unknown printers, papers and sources named with what exists, and a queue that refuses jobs
# reported with its reason.
set -uo pipefail
vnreport="$1"
examples="$2"
[ -n "${CUPS_SANDBOX:-}" ] || { echo "needs with_cups.sh"; exit 1; }
sbx() { "$CUPS_SANDBOX_SCRIPT" "$1" "$CUPS_SANDBOX" "${@:2}"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { # check DESCRIPTION PATTERN TEXT
  grep -q -- "$2" <<<"$3" || { echo "FAIL: $1: no '$2' in:"; echo "$3" | head -40; fail=1; }
}

out=$("$vnreport" printers 2>&1)
check "printers: default" '^2 vnfile (default)' "$out"
check "printers: vnpdf" ' vnpdf' "$out"
check "printers: A4 with its printable area" 'paper 9 "A4" 210.0 x 297.0 mm, printable margins 4.23 4.23 4.23 4.23 mm' "$out"
check "printers: ISO B5" '"ISO B5" 176.0 x 250.1 mm' "$out"
check "printers: lower tray" 'source 2 "Bottom" (bottom)' "$out"

sheet="$examples/stocktake_sheet.vnf"
data="Stock=$examples/stocktake.csv"
rm -f "$CUPS_SANDBOX"/out/cups-pdf/*
out=$("$vnreport" print "$sheet" --data "$data" --printer vnpdf --paper A4 2>&1); rc=$?
[ $rc -eq 0 ] || { echo "FAIL: print on vnpdf: exit $rc: $out"; fail=1; }
for id in $(sed -n 's/^job: //p' <<<"$out"); do sbx wait_job "$id" 60 || fail=1; done
pdf=$(ls "$CUPS_SANDBOX"/out/cups-pdf/*.pdf 2>/dev/null | head -1)
if [ -z "$pdf" ]; then echo "FAIL: no PDF from vnpdf"; fail=1
else
  text=$(pdftotext -layout "$pdf" -)
  check "sheet text" '盘点损益表' "$text"
  cp "$pdf" "${VNPRINT_KEEP:-$work}/stocktake_vnpdf.pdf" 2>/dev/null || true
fi

out=$("$vnreport" print "$sheet" --data "$data" --printer vnfile --source Bottom --pages 1 2>&1); rc=$?
id=$(sed -n 's/^job: //p' <<<"$out" | head -1)
if [ $rc -ne 0 ] || [ -z "$id" ]; then echo "FAIL: print with a source: $out"; fail=1
else
  sbx wait_job "$id" 30 || fail=1
  check "source reaches the job" 'media-source=bottom' "$(sbx job "$id")"
fi

# The same sheet through the print dialog on a real X server: the page list typed into the dialog
# decides what is printed, and the dialog's picture is taken from the screen.
if command -v xvfb-run >/dev/null; then
  rm -f "$CUPS_SANDBOX"/out/cups-pdf/*
  shot="${VNPRINT_KEEP:-$work}/print_dialog.png"
  out=$(QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$vnreport" print "$sheet" --data "$data" \
          --printer vnpdf --paper A4 --dialog --pages 2-3 --copies 1 --screenshot "$shot" 2>&1); rc=$?
  [ $rc -eq 0 ] || { echo "FAIL: print through the dialog: exit $rc: $out"; fail=1; }
  for id in $(sed -n 's/^job: //p' <<<"$out"); do sbx wait_job "$id" 60 || fail=1; done
  pdf=$(ls "$CUPS_SANDBOX"/out/cups-pdf/*.pdf 2>/dev/null | head -1)
  if [ -z "$pdf" ]; then echo "FAIL: no PDF from the dialog's job"; fail=1
  else
    check "dialog: pages 2-3 printed" '^Pages: *2$' "$(pdfinfo "$pdf")"
    check "dialog: sheet text" '盘点' "$(pdftotext -layout "$pdf" -)"
  fi
  # A real picture of a dialog: a few hundred pixels each way and more than a handful of colours.
  size=$(identify -format '%w %h %k' "$shot" 2>&1)
  read -r w h colours <<<"$size"
  if ! [[ "${w:-0}" -ge 300 && "${h:-0}" -ge 300 && "${colours:-0}" -ge 16 ]]; then
    echo "FAIL: dialog screenshot: $size"; fail=1
  fi
fi

expect_error() { # DESCRIPTION RC PATTERN ARGS...
  local d=$1 want=$2 pat=$3; shift 3
  local o rc; o=$("$vnreport" print "$sheet" --data "$data" "$@" 2>&1); rc=$?
  [ $rc -eq "$want" ] || { echo "FAIL: $d: exit $rc (want $want): $o"; fail=1; }
  check "$d" "$pat" "$o"
}
expect_error "unknown printer" 2 'unknown printer "nope"; printers: "默认打印机", "vnfile", "vnpdf"' --printer nope
expect_error "unknown paper" 2 'unknown paper "A9" on vnfile; papers: "A5", "ISO B5", "JIS B5", "A4", "Letter"' --printer vnfile --paper A9
expect_error "unknown source" 2 'unknown source "Side" on 默认打印机; sources: "缺省"' --source Side
expect_error "bad page list" 1 'not a valid integer' --pages 1,,2
cupsreject -r "closed for the test" vnfile
expect_error "refused job" 1 'not printed: .*' --printer vnfile
cupsaccept vnfile
exit $fail
