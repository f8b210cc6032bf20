#!/usr/bin/env bash
# quorlen-analyze --live times the sound card against the computer's clock: a private
# PulseAudio null sink runs on the system clock itself, so its CARD line must read 0 ppm,
# within 2 ppm after 55 s, whether or not network time keeps the clock.
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/pulse.sh"
out=$(QT_QPA_PLATFORM=offscreen "$build/tools/quorlen-analyze" --live --duration 55s --quiet)
card=$(printf '%s\n' "$out" | tail -n 1)
echo "$card"
# CARD,<ppm>,<uncertainty ppm>,<s/day>,<minutes>,<synchronised|unsynchronised>
printf '%s\n' "$card" | awk -F, '
  $1 != "CARD" || NF != 6 || $2 == "" { print "no CARD reading: " $0; exit 1 }
  $2 < -2 || $2 > 2 { print "the null sink is " $2 " ppm off the system clock"; exit 1 }
  $3 <= 0 || $3 > 2 { print "uncertainty " $3 " ppm"; exit 1 }
  $5 < 0.7 || $5 > 1.0 { print "timed for " $5 " min, not the run"; exit 1 }
  $6 != "synchronised" && $6 != "unsynchronised" { print "clock status " $6; exit 1 }
'
