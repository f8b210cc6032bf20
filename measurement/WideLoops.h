#pragma once
// A function whose loops run over independent lanes (bands, lags or samples side by side)
// is built twice, and the processor's own choice runs: four lanes to an instruction where it
// has AVX2, two where it has not. Without fused multiply-add every sum rounds the same way in
// both, so the results are the same on every machine.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define TAMSEL_WIDE_LOOPS __attribute__((target_clones("avx2", "default")))
#else
#define TAMSEL_WIDE_LOOPS
#endif
