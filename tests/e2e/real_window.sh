#!/usr/bin/env bash
# The window in a real X server (Xvfb), hearing a watch through a private PulseAudio server, and
# the real program stopped there by SIGTERM. Leaves a screenshot in <build>/artifacts/.
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/pulse.sh"
mkdir -p "$build/artifacts"
QT_QPA_PLATFORM=xcb TAMSEL_REAL_WINDOW=1 TAMSEL_SCREENSHOT="$build/artifacts/quorlen-window.png" \
  xvfb-run -a -s "-screen 0 1024x600x24" "$build/tests/RealWindow_test"
