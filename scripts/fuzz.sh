#!/usr/bin/env bash
# Builds every fuzz target (the tree under clang with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer: -DKV_FUZZ=ON) and runs
# each for FUZZ_SECONDS (default 30) on its seed corpus fuzz/corpus/<name>.
#   bash scripts/fuzz.sh [target...]     (default: every target)
# Exits non-zero when a target does not build or finds a fault; the input
# that shows it is left as build-fuzz/<target>-crash-*.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${FUZZ_BUILD:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-30}"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(stream emf_player image blob rtf registry metamodel repstream optlist picture ole subsfont fonttext objcontent polyblob rowfilter showcoll dispprefs)
# A build folder made by the CI's preset (build-ci) already has the targets'
# configuration; any other is configured here for the fuzz targets alone.
[ -f "$out/CMakeCache.txt" ] ||
  cmake -S "$root" -B "$out" -G Ninja -DKV_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$out" --target "${targets[@]/%/_fuzz}"
# Targets run side by side, one per core; each writes its own log, shown
# whole when it fails and as its final statistics when it passes.
run_one() {
  local t=$1 max_len=65536
  [ "$t" = stream ] && max_len=4096
  # Laying out RTF costs per glyph and per line: short texts reach every
  # branch of the reader and of the layout alike.
  [ "$t" = rtf ] && max_len=1024
  # New inputs go to a scratch corpus; the seeds in the tree stay as they are.
  mkdir -p "$out/corpus/$t"
  # Freed memory stays with the sanitizer's allocator for reuse instead of
  # being handed back to the system. Handing it back costs one madvise call
  # per free page range of a fragmented heap of a few hundred megabytes; on a
  # virtual machine where such a call takes 0.2 ms that is more than the
  # 10-second limit, charged to whichever input runs at that moment (a false
  # timeout, the input itself takes milliseconds). libFuzzer's own purge,
  # which does the same once the RSS passes half of -rss_limit_mb, is off
  # too: the RSS stays at the heap's high-water mark (a few hundred
  # megabytes) and a real growth still meets -rss_limit_mb.
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:allocator_release_to_os_interval_ms=-1 \
    LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0 \
    "$out/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
    -purge_allocator_interval=-1 \
    -print_final_stats=1 -artifact_prefix="$out/$t-" "$out/corpus/$t" "$root/fuzz/corpus/$t" \
    >"$out/$t.log" 2>&1
}
slots=$(nproc)
failed=()
pids=()
names=()
reap() {
  local i=$1
  if wait "${pids[$i]}"; then
    echo "== ${names[$i]}: passed ($seconds s)"
    grep -E '^stat::number_of_executed_units|^Done ' "$out/${names[$i]}.log" || true
  else
    echo "== ${names[$i]}: FAILED"
    cat "$out/${names[$i]}.log"
    failed+=("${names[$i]}")
  fi
}
for t in "${targets[@]}"; do
  if [ ${#pids[@]} -ge "$slots" ]; then
    reap 0
    pids=("${pids[@]:1}")
    names=("${names[@]:1}")
  fi
  run_one "$t" &
  pids+=($!)
  names+=("$t")
done
for i in "${!pids[@]}"; do reap "$i"; done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets that failed: ${failed[*]}" >&2
  exit 1
fi
