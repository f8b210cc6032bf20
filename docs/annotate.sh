#!/usr/bin/env bash
# Numbers the parts of the window on the screenshot (docs/screenshot.png, left by the
# end-to-end window test in build/artifacts/) for the README's "Measuring a watch":
#   bash docs/annotate.sh [screenshot.png] [out.png]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
in=${1:-$here/screenshot.png}
out=${2:-$here/measuring.png}
marks=(
  "1 130 62"   # beat rate readout and its unit label
  "2 20 62"    # automatic beat count, Beat Up and Beat Down
  "3 290 62"   # beat error readout
  "4 425 62"   # amplitude readout
  "5 720 62"   # rate readout
  "6 22 104"   # threshold track bar
  "7 420 100"  # signal graph and threshold line
  "8 60 140"   # chart: one dot per beat
  "9 45 290"   # pulse / A-C mode, view length, zoom, Start, Stop, Recording
  "10 250 397" # status bar: view, beat error, amplitude, rate, notes
)
draw=()
for mark in "${marks[@]}"; do
  read -r n x y <<<"$mark"
  draw+=(-fill '#d00000' -stroke white -strokewidth 2 -draw "circle $x,$y $((x + 10)),$y")
  draw+=(-fill white -stroke none -font DejaVu-Sans-Bold -pointsize 12 -gravity NorthWest
    -annotate "+$((x - (${#n} == 1 ? 4 : 8)))+$((y - 8))" "$n")
done
convert "$in" "${draw[@]}" "$out"
