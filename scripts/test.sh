#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer (the `dev` and `asan-ubsan`
# presets of CMakePresets.json, in build/ and build-asan/). Warnings are
# errors here (KV_WERROR). The plain build also compiles every platform and
# library header alone (target check_headers).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
# The includes against the table of allowed edges between folders, before any build.
python3 scripts/check-includes.py
for preset in dev asan-ubsan; do
  echo "== $preset"
  cmake --preset "$preset" -DKV_WERROR=ON >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  [ "$preset" = dev ] && cmake --build --preset "$preset" -j "$jobs" --target check_headers
  ctest --preset "$preset" -j "$jobs"
done
# Every fuzz target (libFuzzer under clang), each for a bounded time on its seed corpus.
bash scripts/fuzz.sh
