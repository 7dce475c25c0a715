#!/usr/bin/env bash
# Renders the sample reports with `vnreport render` the way a report author would and checks the
# pictures: the right page count, A4 at 96 dpi, and real content (text and frames, not a blank
# page) on every page; the prepared report file is written.
set -euo pipefail
vnreport="$1"
examples="$2"
source "$(dirname "$0")/vnreport_work.sh"

check_render() { # name report data expected-pages width height
  local name="$1" report="$2" data="$3" expected="$4"
  "$vnreport" render "$examples/$report" --data "$data" --out "$work/$name" --vnp "$work/$name.vnp" \
    >"$work/$name.txt" 2>"$work/$name.err" || { cat "$work/$name.err"; exit 1; }
  cat "$work/$name.txt"
  grep -q "^pages: $expected\$" "$work/$name.txt" || { echo "$name: expected $expected pages"; exit 1; }
  [ ! -s "$work/$name.err" ] || { echo "$name: messages during the build"; cat "$work/$name.err"; exit 1; }
  local count
  count=$(find "$work/$name" -name 'page-*.png' | wc -l)
  [ "$count" -eq "$expected" ] || { echo "$name: $count pictures for $expected pages"; exit 1; }
  [ -s "$work/$name.vnp" ] || { echo "$name: no prepared report file"; exit 1; }
  if command -v identify >/dev/null; then
    for png in "$work/$name"/page-*.png; do
      read -r w h dark < <(convert "$png" -colorspace Gray -threshold 50% -negate \
                           -format '%w %h %[fx:round(mean*w*h)]\n' info:)
      [ "$w" -eq "$5" ] && [ "$h" -eq "$6" ] || { echo "$png: ${w}x${h}"; exit 1; }
      # Text and frames give thousands of dark pixels; an empty page gives none.
      [ "$dark" -ge 2000 ] || { echo "$png: only $dark dark pixels"; exit 1; }
    done
  fi
}

check_render goods goods_list.vnf "Goods=$examples/goods.csv" 4 794 1123
check_render stock stocktake_sheet.vnf "Stock=$examples/stocktake.csv" 19 1123 794

# The author's check finds nothing wrong in any sample report.
for f in "$examples"/*.vnf; do
  "$vnreport" check "$f" >/dev/null || { echo "vnreport check reports problems in $f"; "$vnreport" check "$f"; exit 1; }
done
