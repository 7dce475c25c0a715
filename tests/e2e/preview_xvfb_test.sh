#!/usr/bin/env bash
# The preview window on a real X server: `vnreport preview` of the goods list searched for a
# product name, grabbed as PNG. A second search for the words just before it on the same line
# scrolls the view to the same place, so the two pictures differ only where the two matches are
# shown inverted: one text line, both words, every pixel of them.
set -euo pipefail
vnreport="$1"; examples="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
unset QT_QPA_PLATFORM # the X server's own platform

shot() {  # $1 text to find, $2 picture
  xvfb-run -a -s "-screen 0 1280x1024x24" "$vnreport" preview "$examples/goods_list.vnf" \
    --data Goods="$examples/goods.csv" --find "$1" --screenshot "$2" 2>"$work/err.txt" \
    || { cat "$work/err.txt"; exit 1; }
  [ -s "$2" ] || { echo "no screenshot of the search for $1"; cat "$work/err.txt"; exit 1; }
}
shot "大米" "$work/rice.png"
shot "东北" "$work/north.png"

read -r w h colours < <(identify -format '%w %h %k\n' "$work/rice.png")
echo "screenshot ${w}x${h}, ${colours} colours"
[ "$w" -ge 600 ] && [ "$h" -ge 400 ] || { echo "window too small"; exit 1; }
[ "$colours" -ge 50 ] || { echo "screenshot looks empty"; exit 1; }
# The window keeps its place and tool bar state for the next start.
grep -q 'ToolbarPreviewStand' "$work/config/gusvak/registry.reg" || { echo "tool bar state not kept"; exit 1; }

read -r box changed < <(convert "$work/rice.png" "$work/north.png" -compose difference -composite \
  -colorspace gray -threshold 1% -format '%@ %[fx:round(mean*w*h)]\n' info:)
echo "the pictures differ in $box ($changed pixels)"
bw=${box%%x*}; rest=${box#*x}; bh=${rest%%+*}
# Two words of two wide characters on one line: about 4 characters wide, one line high, and
# inverted entirely (XOR changes every pixel of a match).
[ "$bh" -ge 8 ] && [ "$bh" -le 30 ] || { echo "the difference is not one text line high"; exit 1; }
[ "$bw" -ge 30 ] && [ "$bw" -le 120 ] || { echo "the difference is not two words wide"; exit 1; }
[ "$changed" -ge $(( bw * bh * 9 / 10 )) ] || { echo "the matches are not shown inverted"; exit 1; }
