#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the outputs need.
# Safe to run again: packages already present are skipped.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcairo2-dev libpango1.0-dev libpng-dev libpugixml-dev
  fontconfig fonts-liberation2
  libxml2-utils librsvg2-bin poppler-utils emf2svg w3c-sgml-lib graphviz time valgrind
  python3
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
