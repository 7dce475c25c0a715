#!/usr/bin/env bash
# Creates a demo database, opens the first open stocktake sheet in the host window through the
# module's condition dialog, and checks the screenshot is a real picture of the filled form.
set -euo pipefail
host="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

"$host" init-demo --db "$work/demo.db" --lines 500 >/dev/null
djh=$("$host" call --db "$work/demo.db" OpenQuery \
      "select f_Djh from tbDlpdzb where f_Jzbz=0 order by f_Djh" | sed -n 3p)
[ -n "$djh" ] || { echo "no open sheet in the demo database"; exit 1; }

"$host" --db "$work/demo.db" --operator 0001 --sheet "$djh" --screenshot "$work/shot.png" 2>"$work/err.txt" \
  || { cat "$work/err.txt"; exit 1; }
[ -s "$work/shot.png" ] || { echo "no screenshot written"; cat "$work/err.txt"; exit 1; }

# The layout file is written when the module closes the normal way.
[ -f "$work/config/gusvak/Trevalmpos.ini" ] || { echo "the module did not save its layout"; exit 1; }

if command -v identify >/dev/null; then
  read -r w h colours < <(identify -format '%w %h %k\n' "$work/shot.png")
  echo "screenshot ${w}x${h}, ${colours} colours, sheet $djh"
  [ "$w" -ge 600 ] && [ "$h" -ge 400 ] || { echo "screenshot too small"; exit 1; }
  # A blank or unfilled window has a handful of colours; the grid with text has hundreds.
  [ "$colours" -ge 50 ] || { echo "screenshot looks empty"; exit 1; }
  # The grid's yellow footer row ("合计:N条") only exists once the module shows a searched sheet.
  yellow=$(convert "$work/shot.png" -fill black +opaque "#FFFF00" -fill white -opaque "#FFFF00" \
           -format '%[fx:round(mean*w*h)]' info:)
  echo "yellow footer pixels: $yellow"
  [ "$yellow" -ge 2000 ] || { echo "no footer row: the module did not show the sheet"; exit 1; }
fi
