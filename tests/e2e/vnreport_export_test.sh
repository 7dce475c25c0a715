#!/usr/bin/env bash
# The sample reports exported with `vnreport export` the way a user saves them, and each file
# opened by an independent reader: PDF by qpdf and poppler (page count, size, and the text layer
# found by pdftotext only when asked for).
set -euo pipefail
vnreport="$1"
examples="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

export_one() { # out report data format [options...]
  local out="$1" report="$2" data="$3" format="$4"
  shift 4
  "$vnreport" export "$examples/$report" --data "$data" --format "$format" --out "$work/$out" "$@" \
    >"$work/$out.log" 2>&1 || { cat "$work/$out.log"; exit 1; }
}

check_pdf() { # file pages size
  qpdf --check "$work/$1" >/dev/null || { echo "$1: qpdf finds errors"; qpdf --check "$work/$1"; exit 1; }
  pdfinfo "$work/$1" | grep -q "^Pages: *$2\$" || { echo "$1: not $2 pages"; pdfinfo "$work/$1"; exit 1; }
  pdfinfo "$work/$1" | grep -q "^Page size: *$3 pts" || { echo "$1: not $3 pts"; exit 1; }
}

goods="Goods=$examples/goods.csv"
stock="Stock=$examples/stocktake.csv"
for variant in plain text; do
  opts=()
  [ "$variant" = text ] && opts=(--option SearchableText=1)
  export_one "goods-$variant.pdf" goods_list.vnf "$goods" pdf --option JPEGQuality=90 "${opts[@]}"
  export_one "stock-$variant.pdf" stocktake_sheet.vnf "$stock" pdf "${opts[@]}"
  check_pdf "goods-$variant.pdf" 4 "595.5 x 842.25"
  check_pdf "stock-$variant.pdf" 19 "842.25 x 595.5"
done
export_one goods-raw.pdf goods_list.vnf "$goods" pdf --option ExportImageFormat=BMP
check_pdf goods-raw.pdf 4 "595.5 x 842.25"
pdfimages -list "$work/goods-raw.pdf" | grep -q " image  *794  *1123  *rgb  *3  *8  *image " \
  || { echo "goods-raw.pdf: pages are not raw RGB images"; pdfimages -list "$work/goods-raw.pdf"; exit 1; }

# Image-only files have no text; the text layer gives the sheet's title and the goods back.
for f in goods-plain stock-plain; do
  [ -z "$(pdftotext "$work/$f.pdf" - | tr -d '\f\n')" ] || { echo "$f.pdf: has text"; exit 1; }
done
pdftotext -f 1 -l 1 "$work/stock-text.pdf" - | grep -q "盘点" || { echo "stock-text.pdf: no 盘点"; exit 1; }
pdftotext -f 1 -l 1 "$work/goods-text.pdf" - | grep -q "商品清单" || { echo "goods-text.pdf: no title"; exit 1; }
pdftotext -f 1 -l 1 "$work/goods-text.pdf" - | grep -q "SKU000004" || { echo "goods-text.pdf: no code"; exit 1; }

# Options are checked before anything is built or written.
if "$vnreport" export "$examples/goods_list.vnf" --data "$goods" --format pdf --out "$work/bad.pdf" \
     --option PixelFormat=12bit 2>"$work/bad.log"; then
  echo "a bad option was taken"; exit 1
fi
grep -q "PixelFormat" "$work/bad.log" && [ ! -e "$work/bad.pdf" ] || { cat "$work/bad.log"; exit 1; }
echo "exports ok"
