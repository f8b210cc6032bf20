#!/usr/bin/env bash
# CPU of quorlen-analyze --live against the window (Quorlen on the offscreen platform), both
# hearing the same ticking for the same time through a private PulseAudio server.
# Usage: bench/live_cpu.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/e2e/lib/pulse.sh"
work=$(mktemp -d)
# 5 ticks a second for the whole run: a decaying 3 kHz burst over faint noise.
python3 - "$work/ticks.wav" "$seconds" <<'PY'
import math, random, struct, sys, wave
rate, seconds = 44100, int(sys.argv[2]) + 5
random.seed(1)
frames = bytearray()
for i in range(rate * seconds):
    t = (i % 8820) / rate
    s = 20000 * math.exp(-t * 2000) * math.sin(2 * math.pi * 3000 * t) + random.uniform(-150, 150)
    frames += struct.pack('<h', int(max(-32768, min(32767, s))))
with wave.open(sys.argv[1], 'wb') as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate); w.writeframes(bytes(frames))
PY
cp "$build/app/Quorlen" "$work/Quorlen" # its settings file lands beside it
cpu() { # user + system seconds of a running process
  awk -v hz="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / hz }' "/proc/$1/stat"
}
QT_QPA_PLATFORM=offscreen "$work/Quorlen" >/dev/null 2>&1 &
window=$!
"$build/tools/quorlen-analyze" --live >/dev/null 2>&1 &
live=$!
sleep 1
paplay "$work/ticks.wav" &
player=$!
sleep "$seconds"
echo "over ${seconds} s of capture: window $(cpu $window) s CPU, --live $(cpu $live) s CPU"
kill -TERM $live $window $player 2>/dev/null || true
wait $live $window 2>/dev/null || true
rm -rf "$work"
