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
# A watch both measure at their default settings: 18 000 bph, 8 s/day fast, each beat three
# decaying 5 kHz bursts (unlock, impulse, drop) over faint noise.
python3 - "$work/ticks.wav" "$seconds" <<'PY'
import math, random, struct, sys, wave
rate, seconds = 44100, int(sys.argv[2]) + 5
random.seed(1)
period = 0.2 * (1 - 8 / 86400)
burst = [math.exp(-i / rate * 3000) * math.sin(2 * math.pi * 5000 * i / rate) for i in range(300)]
samples = [random.uniform(-100, 100) for _ in range(rate * seconds)]
beat = 0
while (start := 0.5 + beat * period + (0.0003 if beat % 2 else 0)) * rate < len(samples) - 1000:
    for offset, level in ((0, 15000), (0.0045, 30000), (0.009, 21000)):
        first = int((start + offset) * rate)
        for i, b in enumerate(burst):
            samples[first + i] += level * b
    beat += 1
with wave.open(sys.argv[1], 'wb') as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
    w.writeframes(b''.join(struct.pack('<h', int(max(-32768, min(32767, s)))) for s in samples))
PY
cp "$build/app/Quorlen" "$work/Quorlen" # its settings file lands beside it
cpu() { # user + system seconds of a running process
  awk -v hz="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / hz }' "/proc/$1/stat"
}
QT_QPA_PLATFORM=offscreen "$work/Quorlen" >/dev/null 2>&1 &
window=$!
"$build/tools/quorlen-analyze" --live >"$work/live.out" 2>&1 &
live=$!
sleep 1
paplay "$work/ticks.wav" &
player=$!
sleep "$seconds"
echo "over ${seconds} s of capture: window $(cpu $window) s CPU, --live $(cpu $live) s CPU"
kill -TERM $live $window $player 2>/dev/null || true
wait $live $window 2>/dev/null || true
echo "--live heard: $(grep FINAL "$work/live.out")" # a watch measured, not an idle loop
rm -rf "$work"
