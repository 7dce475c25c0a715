#!/usr/bin/env bash
# `vnreport export` of the sample goods list in the text and picture formats, each output opened by a reader that
# is not ours: the page count (one file per page for pictures, form feeds for text, the rows for
# CSV) and visible Chinese text (CP936 decoded by iconv; metafiles rendered by LibreOffice and read
# back with pdftotext; bitmaps and JPEGs sized by ImageMagick). Also the errors: an unknown format
# or option lists what exists, and an output folder that cannot be written leaves no file.
set -uo pipefail
vnreport="$1"
examples="$2"
source "$(dirname "$0")/vnreport_work.sh"
report="$examples/goods_list.vnf"
fail=0
bad() { echo "FAIL: $*"; fail=1; }

for f in txt csv bmp jpeg emf wmf; do
  out=$("$vnreport" export "$report" --data "Goods=$examples/goods.csv" --format "$f" --out "$work/$f/goods.$f" 2>&1) \
    || bad "export $f: $out"
  grep -q '^pages: 4$' <<<"$out" || bad "export $f: $out"
done

# Text: four pages, each ended by a form feed line; CR LF; the title in CP936.
[ "$(grep -c $'^\f\r$' "$work/txt/goods.txt")" -eq 4 ] || bad "txt: not four form feeds"
# (Readers' output is taken whole before grep looks at it: with pipefail, a grep -q that stops
# early would fail the pipe.)
grep -q '商品清单' <<<"$(iconv -f CP936 -t UTF-8 "$work/txt/goods.txt")" || bad "txt: no Chinese title"
grep -q '"红富士苹果-0"' <<<"$(iconv -f CP936 -t UTF-8 "$work/csv/goods.csv")" || bad "csv: no quoted Chinese name"

# Pictures: goods.EXT, then goods0002 .. goods0004 with the filter's extension.
for f in bmp:bmp jpeg:jpg; do
  dir=${f%%:*} ext=${f##*:}
  for name in "goods.$dir" "goods0002.$ext" "goods0003.$ext" "goods0004.$ext"; do
    size=$(identify -format '%wx%h' "$work/$dir/$name" 2>&1)
    [ "$size" = "794x1123" ] || bad "$dir/$name: $size"
  done
  [ -e "$work/$dir/goods0005.$ext" ] && bad "$dir: a fifth page"
done

# Metafiles: LibreOffice renders every page with its Chinese text.
ls "$work"/emf/goods{,0002,0003,0004}.emf "$work"/wmf/goods{,0002,0003,0004}.wmf >/dev/null || bad "metafile pages missing"
mkdir -p "$work/lo"
for f in emf wmf; do for p in "" 0002 0003 0004; do cp "$work/$f/goods$p.$f" "$work/lo/$f$p.$f"; done; done
soffice -env:UserInstallation="file://$work/lo-profile" --headless --convert-to pdf --outdir "$work/lo/pdf" \
  "$work"/lo/*.emf "$work"/lo/*.wmf >/dev/null 2>&1
for f in emf wmf; do
  grep -q '商品清单' <<<"$(pdftotext "$work/lo/pdf/$f.pdf" - 2>/dev/null)" || bad "$f: LibreOffice shows no 商品清单"
  n=1
  for p in "" 0002 0003 0004; do
    grep -q "第${n}页" <<<"$(pdftotext "$work/lo/pdf/$f$p.pdf" - 2>/dev/null)" || bad "$f page '$p': LibreOffice shows no 第${n}页"
    n=$((n + 1))
  done
done

# Errors name what exists; nothing is left behind by a failed export.
out=$("$vnreport" export "$report" --data "Goods=$examples/goods.csv" --format gif --out "$work/x.gif" 2>&1)
[ $? -eq 2 ] && grep -q 'formats: txt, csv, pdf, bmp, jpeg, jpg, emf, wmf' <<<"$out" || bad "unknown format: $out"
out=$("$vnreport" export "$report" --data "Goods=$examples/goods.csv" --format jpeg --option Colour=1 --out "$work/x.jpg" 2>&1)
[ $? -eq 2 ] && grep -q 'this format has: ScaleX, ScaleY, Grayscale, ProgressiveEncoding, Quality, PixelFormat' <<<"$out" \
  || bad "unknown option: $out"
: > "$work/plain"
for f in txt bmp emf; do
  out=$("$vnreport" export "$report" --data "Goods=$examples/goods.csv" --format $f --out "$work/plain/goods.$f" 2>&1)
  [ $? -eq 1 ] && grep -q 'plain' <<<"$out" || bad "unwritable folder ($f): $out"
done
[ "$(find "$work" -name 'goods*' -path '*plain*' | wc -l)" -eq 0 ] || bad "files left in an unwritable place"

[ "$fail" -eq 0 ] && echo "vnreport export: all formats checked"
exit "$fail"
