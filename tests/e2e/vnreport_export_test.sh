#!/usr/bin/env bash
# The sample reports exported with `vnreport export` the way a user saves them, and each file
# opened by an independent reader: PDF by qpdf and poppler (page count, size, and the text layer
# found by pdftotext only when asked for); RTF by LibreOffice, converted to PDF (page count, every
# goods line on its page in reading order, pictures present).
set -euo pipefail
vnreport="$1"
examples="$2"
source "$(dirname "$0")/vnreport_work.sh"

export_one() { # out report data format [options...]
  local out="$1" report="$2" data="$3" format="$4"
  shift 4
  "$vnreport" export "$examples/$report" --data "$data" --format "$format" --out "$work/$out" "$@" \
    >"$work/$out.log" 2>&1 || { cat "$work/$out.log"; exit 1; }
}

check_pdf() { # file pages size
  qpdf --check "$work/$1" >/dev/null || { echo "$1: qpdf finds errors"; qpdf --check "$work/$1"; exit 1; }
  local info
  info=$(pdfinfo "$work/$1")
  grep -q "^Pages: *$2\$" <<<"$info" || { echo "$1: not $2 pages"; echo "$info"; exit 1; }
  grep -q "^Page size: *$3 pts" <<<"$info" || { echo "$1: not $3 pts"; exit 1; }
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
[ "$(pdfimages -list "$work/goods-raw.pdf" | grep -c " image  *794  *1123  *rgb  *3  *8  *image ")" -eq 4 ] \
  || { echo "goods-raw.pdf: pages are not raw RGB images"; pdfimages -list "$work/goods-raw.pdf"; exit 1; }

# Image-only files have no text; the text layer gives the sheet's title and the goods back.
for f in goods-plain stock-plain; do
  [ -z "$(pdftotext "$work/$f.pdf" - | tr -d '\f\n')" ] || { echo "$f.pdf: has text"; exit 1; }
done
# (grep reads whole texts: an early exit of grep -q would fail the reader's pipe under pipefail.)
has_text() { local text; text=$(pdftotext -f "$2" -l "$2" "$work/$1" -); grep -q "$3" <<<"$text"; }
has_text stock-text.pdf 1 "盘点" || { echo "stock-text.pdf: no 盘点"; exit 1; }
has_text goods-text.pdf 1 "商品清单" || { echo "goods-text.pdf: no title"; exit 1; }
has_text goods-text.pdf 1 "SKU000004" || { echo "goods-text.pdf: no code"; exit 1; }

# Options are checked before anything is built or written.
if "$vnreport" export "$examples/goods_list.vnf" --data "$goods" --format pdf --out "$work/bad.pdf" \
     --option PixelFormat=12bit 2>"$work/bad.log"; then
  echo "a bad option was taken"; exit 1
fi
grep -q "PixelFormat" "$work/bad.log" && [ ! -e "$work/bad.pdf" ] || { cat "$work/bad.log"; exit 1; }
# RTF: LibreOffice lays the frames out on the same pages, in the same order as our pages.
head -n 21 "$examples/stocktake.csv" >"$work/stock20.csv"
export_one goods.rtf goods_list.vnf "$goods" rtf
export_one stock.rtf stocktake_sheet.vnf "Stock=$work/stock20.csv" rtf
export_one stock20.pdf stocktake_sheet.vnf "Stock=$work/stock20.csv" pdf --option SearchableText=1
"$vnreport" export "$examples/all_views.vnf" --format rtf --out "$work/views.rtf" --option ExportImageFormat=BMP \
  >"$work/views.log" 2>&1 || { cat "$work/views.log"; exit 1; }
soffice -env:UserInstallation="file://$work/lo-profile" --headless --convert-to pdf --outdir "$work/lo" \
  "$work/goods.rtf" "$work/stock.rtf" "$work/views.rtf" >"$work/lo.log" 2>&1 || { cat "$work/lo.log"; exit 1; }
for pair in goods:goods-text stock:stock20; do
  rtf=${pair%%:*} ours=${pair#*:}
  pages=$(pdfinfo "$work/$ours.pdf" | sed -n 's/^Pages: *//p')
  [ "$(pdfinfo "$work/lo/$rtf.pdf" | sed -n 's/^Pages: *//p')" = "$pages" ] || { echo "$rtf.rtf: not $pages pages"; exit 1; }
  for ((p = 1; p <= pages; p++)); do
    a=$(pdftotext -raw -f $p -l $p "$work/$ours.pdf" - | grep -o 'SKU[0-9]*' | tr '\n' ' ')
    b=$(pdftotext -raw -f $p -l $p "$work/lo/$rtf.pdf" - | grep -o 'SKU[0-9]*' | tr '\n' ' ')
    [ -n "$a" ] && [ "$a" = "$b" ] || { echo "$rtf.rtf page $p: [$b] instead of [$a]"; exit 1; }
  done
done
has_text lo/stock.pdf 1 "盘点损益表" || { echo "stock.rtf: no title"; exit 1; }
[ "$(pdfimages -list "$work/lo/views.pdf" | tail -n +3 | wc -l)" -ge 1 ] \
  || { echo "views.rtf: LibreOffice shows no pictures"; exit 1; }
echo "exports ok"
