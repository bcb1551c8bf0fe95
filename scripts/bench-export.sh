#!/usr/bin/env bash
# The export benchmark next to Graphviz on a graph of the same size, in one
# run, printed as a table.
#
# Ours: bench_export writes a diagram of 10,000 boxes (a 100 x 100 grid) to
# SVG and to PNG (96 pixels per inch); time per export and the peak resident
# memory of the process during it.
#
# Graphviz: the same 10,000 boxes (same labels, fills and shapes) in 100
# chains of 100 nodes (9,900 edges), so that dot lays them out as the same
# 100 x 100 grid:
#   - dot -Tsvg / dot -Tpng: layout and drawing (dot's layout of this graph
#     is the slow part: minutes, not seconds);
#   - neato -n2 -Tsvg / -Tpng: the nodes pinned to the grid and no edges,
#     drawing only, which is what our export does.
# Time and peak memory of each Graphviz run come from /usr/bin/time when it
# exists (else the time from bash alone).
#
# Usage: scripts/bench-export.sh [build folder]   (default: build-bench, a
# Release build made when missing). SKIP_DOT=1 leaves out the dot runs.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
SIDE=100

if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target bench_export >/dev/null
if ! command -v dot >/dev/null; then
  echo "bench-export: Graphviz is missing (apt-get install -y graphviz)" >&2
  exit 1
fi

WORK=$(mktemp -d /tmp/bench-export.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

# ---- ours ---------------------------------------------------------------------------------------
"$BUILD/bench/bench_export" --benchmark_format=console >"$WORK/ours.txt" 2>/dev/null
# "BM_ExportSvg/iterations:3  503 ms  488 ms  3 base_MB=.. file_MB=.. peak_MB=.. symbols=.."
ours() {
  awk -v bm="$1" '$1 ~ "^"bm"/" {
    t = $2 / 1000; if ($3 == "us") t = $2 / 1e6; if ($3 == "s") t = $2;
    for (i = 5; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
    printf "%.2f|%.0f|%.1f", t, v["peak_MB"], v["file_MB"] }' "$WORK/ours.txt"
}

# ---- Graphviz -------------------------------------------------------------------------------------
# The nodes: labels N0..N9999, boxes, rounded boxes and ellipses in turn,
# four fills in turn, Arial 7, 24 x 18 points (the diagram's 2400 x 1800
# units), on a grid of 30 x 24 points when pinned.
nodes() {
  awk -v side=$SIDE -v pinned="$1" 'BEGIN {
    split("#ddebf7 #fff2cc #e2f0d9 #f4b183", fill, " "); split("box box ellipse", shape, " ");
    for (i = 0; i < side * side; i++) {
      style = (i % 3 == 1) ? "\"rounded,filled\"" : "filled";
      pos = pinned ? sprintf(", pos=\"%d,%d!\"", (i % side) * 30, -int(i / side) * 24) : "";
      printf "  n%d [label=\"N%d\", shape=%s, style=%s, fillcolor=\"%s\"%s];\n", i, i, shape[i % 3 + 1], style, fill[i % 4 + 1], pos
    } }'
}
{
  echo "digraph grid {"
  echo '  node [fontname="Arial", fontsize=7, width=0.333, height=0.25, fixedsize=true, color="#2f5597"];'
  nodes 0
  awk -v side=$SIDE 'BEGIN { for (c = 0; c < side; c++) for (r = 0; r + 1 < side; r++) printf "  n%d -> n%d;\n", r * side + c, (r + 1) * side + c }'
  echo "}"
} >"$WORK/grid.gv"
{
  echo "graph pinned {"
  echo '  node [fontname="Arial", fontsize=7, width=0.333, height=0.25, fixedsize=true, color="#2f5597"];'
  nodes 1
  echo "}"
} >"$WORK/pinned.gv"

# Runs a command; prints "seconds|peak MB|file MB" for the file it writes.
measure() {
  local out=$1
  shift
  local secs mb="n/a"
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "%e %M" -o "$WORK/time.txt" "$@" >/dev/null 2>&1
    secs=$(awk '{print $1}' "$WORK/time.txt")
    mb=$(awk '{printf "%.0f", $2 / 1024}' "$WORK/time.txt")
  else
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    secs=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.2f", b - a}')
  fi
  local size
  size=$(awk -v n="$(stat -c %s "$out")" 'BEGIN {printf "%.1f", n / 1048576}')
  echo "$secs|$mb|$size"
}

rows=()
rows+=("kvsym16 export, 10,000 symbols|SVG|$(ours BM_ExportSvg)")
rows+=("kvsym16 export, 10,000 symbols|PNG|$(ours BM_ExportPng)")
rows+=("neato -n2 (pinned, no edges), 10,000 nodes|SVG|$(measure "$WORK/p.svg" neato -n2 -Tsvg -o "$WORK/p.svg" "$WORK/pinned.gv")")
rows+=("neato -n2 (pinned, no edges), 10,000 nodes|PNG|$(measure "$WORK/p.png" neato -n2 -Tpng -o "$WORK/p.png" "$WORK/pinned.gv")")
if [ "${SKIP_DOT:-0}" != 1 ]; then
  rows+=("dot (layout + drawing), 10,000 nodes, 9,900 edges|SVG|$(measure "$WORK/g.svg" dot -Tsvg -o "$WORK/g.svg" "$WORK/grid.gv")")
  rows+=("dot (layout + drawing), 10,000 nodes, 9,900 edges|PNG|$(measure "$WORK/g.png" dot -Tpng -o "$WORK/g.png" "$WORK/grid.gv")")
fi

echo "| What | Format | Time (s) | Peak memory (MB) | File (MB) |"
echo "|---|---|---|---|---|"
for r in "${rows[@]}"; do
  echo "| ${r//|/ | } |"
done
echo
echo "$(dot -V 2>&1); $(nproc) processors; $(date -u +%Y-%m-%d)"
