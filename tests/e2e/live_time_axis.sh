#!/usr/bin/env bash
# The time axis of a live capture through a stalled window, error boxes, a suspended source
# and a late sound server, against a private PulseAudio server.
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/pulse.sh"
TAMSEL_LIVE_PULSE=1 QT_QPA_PLATFORM=offscreen "$build/tests/LiveTimeAxis_test" "${@:2}"
