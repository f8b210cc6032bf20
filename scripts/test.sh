#!/usr/bin/env bash
# Installs what is needed, builds and runs the whole test suite: once optimised (and the
# Debian package made from that build), once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
export QT_QPA_PLATFORM=offscreen
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMSEL_TESTS=ON -DTAMSEL_BENCH=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2 --no-tests=error
# The Debian package, installed on this machine, used and removed again.
if command -v apt-get >/dev/null; then
  bash tests/package/deb.sh build
else
  echo "test.sh: no apt-get here, so the Debian package is not tested"
fi

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAMSEL_SANITIZE=ON -DTAMSEL_TESTS=ON -DTAMSEL_BENCH=OFF
cmake --build build-asan -j2
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j2 --no-tests=error

# The INI reader under libFuzzer, for a bounded number of inputs.
bash tests/fuzz/run.sh build-fuzz
