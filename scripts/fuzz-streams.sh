#!/usr/bin/env bash
# Builds the symbol-stream fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for a bounded time on its seed
# corpus. Exits non-zero when the target crashes or does not build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-fuzz-streams"
seconds="${FUZZ_SECONDS:-30}"
cmake -S "$root/fuzz/streams" -B "$out" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$out" --target stream_fuzz
mkdir -p "$out/corpus"
# New inputs go to a scratch corpus; the seeds in the tree stay as they are.
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 \
  "$out/stream_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix="$out/" "$out/corpus" "$root/fuzz/corpus/stream"
