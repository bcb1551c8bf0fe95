#!/usr/bin/env bash
# The main job of a fresh clone (scripts/main.sh) builds the target symhost
# alone. The commands that make that target from nothing must make every
# module the host loads at run time, the layout engine among them: without
# it the first run reports the engine missing and draws no line bridges.
#   first_run_test.sh <build folder> <ninja>
set -euo pipefail
build=$1
ninja=$2
commands=$("$ninja" -C "$build" -t commands symhost)
for module in libkvlayout16.so libkvsym16.so; do
  if ! grep -q -- "-o [^ ]*/$module\b" <<<"$commands"; then
    echo "building the target symhost alone does not build $module" >&2
    exit 1
  fi
done
grep -q -- "--target symhost" "$(dirname "$0")/../../scripts/main.sh" || {
  echo "scripts/main.sh no longer builds the target symhost: check what it builds instead" >&2
  exit 1
}
echo "the target symhost builds the library and the layout engine"
