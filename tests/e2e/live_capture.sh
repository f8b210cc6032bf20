#!/usr/bin/env bash
# Capture from a real sound server: plays known recordings into a private PulseAudio
# server and checks the program's sample history against them, and the audio the window
# saves against what the window measured.
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/pulse.sh"
TAMSEL_LIVE_PULSE=1 QT_QPA_PLATFORM=offscreen "$build/tests/LiveCapture_test"
TAMSEL_LIVE_PULSE=1 QT_QPA_PLATFORM=offscreen "$build/tests/Recordings_test" \
  --gtest_filter='Recordings.AudioSavedFromTheSoundServer*'
