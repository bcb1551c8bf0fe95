#!/usr/bin/env bash
# The export comparison, every entry timed the same way: as a whole process
# (start, build the drawing, write the file, exit), the median of RUNS runs
# (default 3), in one run of this script. The three programs take turns run
# by run, and the ratios are medians of the ratios within each turn.
#
#   kvexport N file      the library: N host text boxes (shadows, solid,
#                        hatched and gradient fills, a label each) on a
#                        square grid, exported to SVG, to PNG at 96 dpi or
#                        printed to a PDF page the size of the drawing;
#   cairoboxes N file    the same boxes drawn with cairo and pango alone on
#                        cairo's SVG or PDF surface or its image surface:
#                        every shadow copy, dashed outline, hatch tile and
#                        gradient the library draws, so that both files
#                        hold the same content;
#   neato -n2            Graphviz drawing the same boxes (same labels, fills
#                        and shapes, Arial 7, 24 x 18 points) at pinned
#                        positions, no edges: drawing only.
# PLAIN=1 draws the boxes of both the library and cairo with one-pixel solid
# outlines and solid fills only (no shadows, hatches or gradients).
# FORMATS="svg png pdf" by default.
# WITH_DOT=1 adds dot laying out and drawing the boxes in 100 chains (the
# layout is the slow part: minutes, not seconds).
#
# Printed: a table of times, peak memory and file sizes, then the ratio of
# the library's time to each peer's (below 1.0: the library is faster).
#
# Usage: scripts/bench-export.sh [build folder]   (default: build-bench, a
# Release build made when missing). COUNTS="1000 10000" by default.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
RUNS=${RUNS:-3}
COUNTS=${COUNTS:-"1000 10000"}
FORMATS=${FORMATS:-"svg png pdf"}
PLAIN_ARG=()
if [ "${PLAIN:-0}" = 1 ]; then PLAIN_ARG=(--plain); fi

if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target kvexport cairoboxes >/dev/null
for tool in neato /usr/bin/time; do
  if ! command -v "$tool" >/dev/null; then
    echo "bench-export: $tool is missing (apt-get install -y graphviz time)" >&2
    exit 1
  fi
done

WORK=$(mktemp -d /tmp/bench-export.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

# Runs a command once, timed as a whole process (elapsed to the millisecond,
# peak memory by /usr/bin/time); appends "seconds kB" to $WORK/<name>.txt.
run_once() {
  local name=$1 out=$2
  shift 2
  rm -f "$out"
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$WORK/time.txt" "$@" >/dev/null 2>&1
  t1=$(date +%s%N)
  echo "$(( (t1 - t0) / 1000000 )) $(cat "$WORK/time.txt")" | awk '{ printf "%.3f %s\n", $1 / 1000, $2 }' >>"$WORK/$name.txt"
}

# "median seconds|peak MB|file MB" of what run_once gathered for <name>.
summary() {
  local name=$1 out=$2
  sort -n "$WORK/$name.txt" | awk -v n="$RUNS" -v bytes="$(stat -c %s "$out")" '
    { t[NR] = $1; if ($2 > m) m = $2 }
    END { printf "%.3f|%.0f|%.1f", t[int((n + 1) / 2)], m / 1024, bytes / 1048576 }'
}

# Median over the runs of the ratio of one program's time to another's in the
# same round (the runs of all three programs take turns, so that a busy
# moment of the machine weighs on all of them alike).
paired() {
  paste -d' ' "$WORK/$1.txt" "$WORK/$2.txt" | awk '{ print ($3 > 0 ? $1 / $3 : 0) }' | sort -n |
    awk -v n="$RUNS" '{ r[NR] = $1 } END { printf "%.2f", r[int((n + 1) / 2)] }'
}

# Graphviz input: N nodes, labels N0.., boxes, rounded boxes and ellipses in
# turn, four fills in turn, on the grid of the other programs when pinned.
nodes() {
  awk -v n="$1" -v pinned="$2" 'BEGIN {
    side = int(sqrt(n)); if (side * side < n) side++;
    split("#ddebf7 #fff2cc #e2f0d9 #f4b183", fill, " "); split("box box ellipse", shape, " ");
    for (i = 0; i < n; i++) {
      style = (i % 3 == 1) ? "\"rounded,filled\"" : "filled";
      pos = pinned ? sprintf(", pos=\"%d,%d!\"", (i % side) * 30, -int(i / side) * 24) : "";
      printf "  n%d [label=\"N%d\", shape=%s, style=%s, fillcolor=\"%s\"%s];\n", i, i, shape[i % 3 + 1], style, fill[i % 4 + 1], pos
    } }'
}
graph() {
  local n=$1 pinned=$2
  if [ "$pinned" = 1 ]; then echo "graph pinned {"; else echo "digraph grid {"; fi
  echo '  node [fontname="Arial", fontsize=7, width=0.333, height=0.25, fixedsize=true, color="#2f5597"];'
  nodes "$n" "$pinned"
  if [ "$pinned" = 0 ]; then
    awk -v n="$n" 'BEGIN { side = int(sqrt(n)); if (side * side < n) side++;
      for (i = 0; i + side < n; i++) printf "  n%d -> n%d;\n", i, i + side }'
  fi
  echo "}"
}

rows=()
ratios=()
for n in $COUNTS; do
  graph "$n" 1 >"$WORK/pinned-$n.gv"
  for fmt in $FORMATS; do
    rm -f "$WORK"/ours.txt "$WORK"/cairo.txt "$WORK"/neato.txt
    for ((i = 0; i < RUNS; i++)); do
      run_once ours "$WORK/ours.$fmt" "$BUILD/bench/kvexport" "${PLAIN_ARG[@]}" "$n" "$WORK/ours.$fmt"
      run_once cairo "$WORK/cairo.$fmt" "$BUILD/bench/cairoboxes" "${PLAIN_ARG[@]}" "$n" "$WORK/cairo.$fmt"
      run_once neato "$WORK/neato.$fmt" neato -n2 -T"$fmt" -o "$WORK/neato.$fmt" "$WORK/pinned-$n.gv"
    done
    ours=$(summary ours "$WORK/ours.$fmt")
    cairo=$(summary cairo "$WORK/cairo.$fmt")
    neato=$(summary neato "$WORK/neato.$fmt")
    rows+=("kvexport (library), $n boxes|${fmt^^}|$ours")
    rows+=("cairoboxes (cairo + pango), $n boxes|${fmt^^}|$cairo")
    rows+=("neato -n2 (pinned), $n boxes|${fmt^^}|$neato")
    ratios+=("$n|${fmt^^}|$(paired ours cairo)|$(paired ours neato)")
    if [ "${WITH_DOT:-0}" = 1 ]; then
      graph "$n" 0 >"$WORK/grid-$n.gv"
      rm -f "$WORK/dot.txt"
      for ((i = 0; i < RUNS; i++)); do run_once dot "$WORK/dot.$fmt" dot -T"$fmt" -o "$WORK/dot.$fmt" "$WORK/grid-$n.gv"; done
      rows+=("dot (layout + drawing), $n boxes|${fmt^^}|$(summary dot "$WORK/dot.$fmt")")
    fi
  done
done

echo "| What | Format | Time (s, median of $RUNS) | Peak memory (MB) | File (MB) |"
echo "|---|---|---|---|---|"
for r in "${rows[@]}"; do
  echo "| ${r//|/ | } |"
done
echo
echo "| Boxes | Format | Library / cairo (median of paired runs) | Library / neato -n2 (same) |"
echo "|---|---|---|---|"
for r in "${ratios[@]}"; do
  echo "| ${r//|/ | } |"
done
echo
echo "$(dot -V 2>&1); $(nproc) processors; $(date -u +%Y-%m-%d)"
