#!/usr/bin/env bash
# Sets up, builds and runs every test, the way the CI does: one clang build
# (the `ci` preset of CMakePresets.json, in build-ci/) under AddressSanitizer
# and UndefinedBehaviorSanitizer with libFuzzer's coverage, so that the same
# libraries serve the tests, the benchmarks (built, not run) and the fuzz
# targets. Warnings are errors here (KV_WERROR). The build also compiles every
# platform and library header alone (target check_headers). Then every fuzz
# target runs for a bounded time on its seed corpus.
#
# The `dev` preset (GCC, optimised, no sanitizers) is the everyday build; its
# tests are the same: `ctest --preset dev`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
# The includes against the table of allowed edges between folders, before any build.
python3 scripts/check-includes.py
cmake --preset ci -DKV_WERROR=ON >/dev/null
# One build for everything, the header check included, so no core waits for
# the last objects of one target list before the next starts.
cmake --build --preset ci -j "$jobs" --target all check_headers
ctest --preset ci -j "$jobs"
# A smoke run: each target for 15 seconds (30 by default when run by hand).
FUZZ_BUILD="$PWD/build-ci" FUZZ_SECONDS="${FUZZ_SECONDS:-15}" bash scripts/fuzz.sh
