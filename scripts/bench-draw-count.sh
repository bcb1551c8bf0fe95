#!/usr/bin/env bash
# Instructions per frame of the drawing benchmarks against their cairo and
# pango peers, counted by callgrind: a figure that other work on a busy
# machine does not move, where timings do.
#
# Each benchmark runs once to warm up (fontconfig's configuration, realised
# fonts, glyph caches: work a process does once) and once more; the second
# run, one frame of 10,000 labelled rectangles with the surface and canvas
# made for it, is the figure. Fontconfig is loaded on pango's own thread in
# the peers and on the calling thread in the library, so a count of the
# first run would set a once-per-process cost against one side only.
#
# Counts move by a percent or two from process to process (the heap's state
# after fontconfig's thread), so each side runs RUNS times (default 3) and
# the median counts.
#
# Printed: each pair's instructions and the ratio (library / peer).
#
# Usage: scripts/bench-draw-count.sh [build folder]   (default: build, the
# dev preset). PAIRS picks pairs by number (default "1 2": the canvas, the
# device context; both with new labels every frame); KEEP=folder
# keeps the median runs' profiles there (<benchmark>.cg, for
# callgrind_annotate).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
PAIRS=${PAIRS:-"1 2"}
RUNS=${RUNS:-3}
if ! command -v valgrind >/dev/null; then
  echo "bench-draw-count: valgrind is missing (apt-get install -y valgrind)" >&2
  exit 1
fi
cmake --build "$BUILD" --target bench_canvas bench_gdi_rects >/dev/null

pairs=(
  ""
  "bench_canvas ThroughCanvasFreshLabels DirectCairoPangoCentredFreshLabels"
  "bench_gdi_rects ThroughDcFreshLabels DirectCairoPangoFreshLabels"
)

WORK=$(mktemp -d /tmp/bench-draw-count.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
[ -z "${KEEP:-}" ] || mkdir -p "$KEEP"

# Instructions of the second run of benchmark $2 in program $1 (profile
# saved as $WORK/$2.$3.cg).
count() {
  local out="$WORK/$2.$3.out"
  valgrind --tool=callgrind --compress-strings=no --callgrind-out-file="$out" \
    --toggle-collect="*::$2(benchmark::State&)" --dump-after="*::$2(benchmark::State&)" \
    "$BUILD/bench/$1" --benchmark_filter="^$2\$" \
    --benchmark_min_time=0.000001 --benchmark_min_warmup_time=0.000001 >/dev/null 2>&1
  [ -f "$out.2" ] || { echo "bench-draw-count: no second run of $2" >&2; exit 1; }
  mv "$out.2" "$WORK/$2.$3.cg"
  awk '/^(summary|totals):/ { print $2; exit }' "$WORK/$2.$3.cg" >"$WORK/$2.$3.ir"
}

# The median of the counts of benchmark $1; KEEP gets the median run's profile.
median() {
  local m
  m=$(for r in $(seq "$RUNS"); do echo "$(cat "$WORK/$1.$r.ir") $r"; done | sort -n | awk -v n="$RUNS" 'NR == int((n + 1) / 2) { print $2 }')
  [ -z "${KEEP:-}" ] || cp "$WORK/$1.$m.cg" "$KEEP/$1.cg"
  cat "$WORK/$1.$m.ir"
}

printf '%-26s %-36s %12s %12s %6s\n' library peer "library Ir" "peer Ir" ratio
for n in $PAIRS; do
  read -r prog lib peer <<<"${pairs[$n]}"
  for r in $(seq "$RUNS"); do
    count "$prog" "$lib" "$r" &
    count "$prog" "$peer" "$r" &
    wait
  done
  a=$(median "$lib") b=$(median "$peer")
  awk -v l="$lib" -v p="$peer" -v a="$a" -v b="$b" 'BEGIN { printf "%-26s %-36s %12d %12d %6.3f\n", l, p, a, b, a / b }'
done
