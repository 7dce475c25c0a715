#!/usr/bin/env bash
# The text form from the command line: every example the build made from its JSON source dumps
# to that source again and goes .vnf -> JSON -> .vnf unchanged, a bad text names its line and
# property and writes nothing, and the README's guide report (and the fuller one in examples/)
# makes and renders with the sample data.
set -uo pipefail
vnreport="$1"
source_dir="$2"
examples="$source_dir/examples"
built="$3"
source "$(dirname "$0")/vnreport_work.sh"
fail=0

n=0
for f in "$built"/*.vnf; do
  b=$(basename "$f" .vnf)
  "$vnreport" dump "$f" --out "$work/$b.json" && "$vnreport" make "$work/$b.json" --out "$work/$b.vnf" \
    && cmp -s "$f" "$work/$b.vnf" || { echo "FAIL: $b does not come back byte for byte"; fail=1; }
  if [ "$b" != guide_goods ] && ! cmp -s "$work/$b.json" "$examples/$b.json"; then
    echo "FAIL: built $b.vnf does not dump to its source text"; fail=1
  fi
  n=$((n + 1))
done
[ $n -ge 5 ] || { echo "FAIL: only $n examples were built"; fail=1; }

# A wrong type: the line and path are named, the exit status is 1, no file appears.
sed 's/"Size": 16/"Size": "big"/' "$examples/guide_goods.json" > "$work/bad.json"
out=$("$vnreport" make "$work/bad.json" --out "$work/bad.vnf" 2>&1); rc=$?
if [ $rc -ne 1 ] || ! grep -q 'bad.json:10: pages\[0\].views\[1\].Font.Size: expected a number' <<<"$out" \
   || [ -e "$work/bad.vnf" ]; then
  echo "FAIL: bad text -> exit $rc: $out"; fail=1
fi
# An existing file is left as it was.
echo old > "$work/keep.vnf"
"$vnreport" make "$work/bad.json" --out "$work/keep.vnf" 2>/dev/null
[ "$(cat "$work/keep.vnf")" = old ] || { echo "FAIL: a failed make changed the output file"; fail=1; }

# The guide: the JSON block of the README, then the fuller example.
awk '/^```json$/{on=1; next} /^```$/{on=0} on' "$source_dir/README.md" > "$work/guide.json"
for g in "$work/guide.json" "$examples/guide_goods.json"; do
  b=$(basename "$g" .json)
  if ! "$vnreport" make "$g" --out "$work/$b.vnf"; then echo "FAIL: make $g"; fail=1; continue; fi
  out=$("$vnreport" render "$work/$b.vnf" --data "Goods=$examples/goods.csv" --out "$work/$b" 2>&1)
  if [ $? -ne 0 ] || [ -z "$(ls "$work/$b"/*.png 2>/dev/null)" ]; then
    echo "FAIL: render $b: $out"; fail=1
  fi
  # The text made from the file is the file's own dump again.
  "$vnreport" dump "$work/$b.vnf" --out "$work/$b.again.json" && "$vnreport" make "$work/$b.again.json" \
    --out "$work/$b.again.vnf" && cmp -s "$work/$b.vnf" "$work/$b.again.vnf" \
    || { echo "FAIL: $b dump/make is not stable"; fail=1; }
done
exit $fail
