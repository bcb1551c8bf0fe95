#!/usr/bin/env bash
# Builds the metafile-player and image-reader fuzz targets with clang
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) over the drawing
# platform's sources, and runs each for a bounded time on its seed corpus.
# Exits non-zero when a target crashes or does not build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-fuzz-emf"
seconds="${FUZZ_SECONDS:-30}"
cxx="${CXX_FUZZ:-clang++}"
flags=(-std=c++20 -g -O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined
       -I "$root/platform" -I "$root" $(pkg-config --cflags cairo pangocairo pangoft2 fontconfig libpng))
libs=($(pkg-config --libs cairo cairo-pdf cairo-png pangocairo pangoft2 fontconfig libpng) -ldl -pthread)
mkdir -p "$out/obj" "$out/corpus-emf" "$out/corpus-image"
# The drawing platform's objects, built once for both targets (again only when
# a source or a header of the folder changed).
objs=()
# (The GDI text calls and the core strings use the Windows layer's UTF-8 conversions.)
for src in "$root"/platform/win/{gdi,emf,image,guid,winutf8}*.cpp "$root/platform/kvcore/sstring.cpp"; do
  obj="$out/obj/$(basename "${src%.cpp}").o"
  if [[ ! -f "$obj" || "$src" -nt "$obj" || -n "$(find "$root/platform/win" -name '*.h' -newer "$obj" -print -quit)" ]]; then
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
  fi
  objs+=("$obj")
done
for target in emf_player image; do
  "$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/fuzz/${target}_fuzz.cpp" "${objs[@]}" "${libs[@]}" -o "$out/${target}_fuzz"
done
run() {  # target, seed folder
  # New inputs go to a scratch corpus; the seeds in the tree stay as they are.
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=abort_on_error=1:detect_leaks=0 \
    "$out/$1_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$out/$1-" "$out/corpus-$2" "$root/fuzz/corpus/$2"
}
run emf_player emf
run image image
