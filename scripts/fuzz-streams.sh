#!/usr/bin/env bash
# Builds the symbol-stream fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for a bounded time on its seed
# corpus. Exits non-zero when the target crashes or does not build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-fuzz-streams"
seconds="${FUZZ_SECONDS:-30}"
mkdir -p "$out/corpus"
cxx="${CXX_FUZZ:-clang++}"
"$cxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I "$root/platform" -I "$root" \
  "$root/fuzz/stream_fuzz.cpp" \
  "$root/platform/kvcore/sstring.cpp" "$root/platform/kvcore/sexception.cpp" \
  "$root/platform/kvcore/scolor.cpp" "$root/platform/kvcore/sstream.cpp" "$root/platform/kvcore/sblob.cpp" \
  "$root/platform/kvcore/s2dmatrix.cpp" "$root/platform/kvcore/stable.cpp" \
  "$root/platform/kvcore/sexceptiondlg.cpp" \
  "$root/sym/foundation/symvalues.cpp" "$root/sym/foundation/symgeom.cpp" \
  "$root/sym/foundation/symformat.cpp" "$root/sym/foundation/symallowopt.cpp" \
  "$root/sym/foundation/symstream.cpp" \
  -o "$out/stream_fuzz"
# New inputs go to a scratch corpus; the seeds in the tree stay as they are.
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 \
  "$out/stream_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix="$out/" "$out/corpus" "$root/fuzz/corpus/stream"
