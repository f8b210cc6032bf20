#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DTAMSEL_TESTS=OFF -DTAMSEL_BENCH=OFF
cmake --build build-release -j2
exec build-release/app/Quorlen "$@"
