#!/usr/bin/env bash
# Makes docs/report.png, the README's picture of a report: ten minutes of a 21 600 bph watch as
# an ordinary microphone hears it (tests/MicScenario.cpp), measured by quorlen-analyze on A4.
#   bash docs/report.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tests/mic_scenario" honest21600 600 7 "$work/bench.wav" >/dev/null
LC_ALL=C.UTF-8 "$build/tools/quorlen-analyze" --quiet --input-filter --auto-threshold --view 10 \
  --start "2026-12-07 09:30:00" --title "Wristwatch after service, dial up" --tolerance -4,+6 \
  --report "$here/report.png" "$work/bench.wav" >/dev/null
