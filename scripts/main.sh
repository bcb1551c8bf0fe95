#!/usr/bin/env bash
# Sets up, builds and runs the sample host; its files land in ./out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build build --target symhost
mkdir -p out
./build/apps/symhost/symhost --out out "$@"
