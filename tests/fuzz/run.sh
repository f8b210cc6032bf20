#!/usr/bin/env bash
# Builds the INI reader's fuzz target with clang's libFuzzer and runs it for a bounded
# number of inputs: no crash, no hang, no sanitizer report.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build-fuzz}
runs=${FUZZ_RUNS:-100000}
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fPIC \
  -I"$root" "$root/tests/fuzz/IniDocument_fuzz.cpp" "$root/settings/IniDocument.cpp" "$root"/files/*.cpp \
  $(pkg-config --cflags --libs Qt6Core) -o "$out/IniDocument_fuzz"
printf '[Init]\r\nZoom=1\r\nHosei=0x10\r\n\r\n' > "$out/corpus/seed.ini"
"$out/IniDocument_fuzz" -runs="$runs" -max_len=4096 -timeout=10 "$out/corpus"
