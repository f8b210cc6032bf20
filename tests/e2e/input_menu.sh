#!/usr/bin/env bash
# Choosing the capture source against a private PulseAudio server: the tests plug and
# unplug microphones (null sinks with mono sources recording them) while the window runs.
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/pulse.sh"
TAMSEL_INPUT_E2E=1 QT_QPA_PLATFORM=offscreen "$build/tests/InputMenu_test" --gtest_filter='InputMenuLive.*'
