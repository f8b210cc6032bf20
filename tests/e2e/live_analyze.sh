#!/usr/bin/env bash
# quorlen-analyze --live against a private PulseAudio server, restarted during the run.
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/pulse.sh"
TAMSEL_LIVE_ANALYZE=1 QT_QPA_PLATFORM=offscreen "$build/tests/LiveAnalyze_test" "${@:2}"
