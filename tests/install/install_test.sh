#!/usr/bin/env bash
# Installs the built tree into a temporary prefix, then builds and runs a
# small program outside the tree against it twice: once found through
# find_package(kvsym), once through pkg-config (kvsym.pc).
#   install_test.sh <build folder> <consumer source folder> <C++ compiler> [extra compile and link flags]
set -euo pipefail
build="$1" src="$2" cxx="$3" extra="${4:-}"
work="$(mktemp -d /tmp/kvsym_install_XXXXXX)"
# cmake --install records what it installed in the build folder: a record of
# an install made by hand is put back, and this test's own is not left behind.
manifest="$build/install_manifest.txt"
if [ -f "$manifest" ]; then cp -p "$manifest" "$work/manifest.saved"; fi
finish() {
  if [ -f "$work/manifest.saved" ]; then cp -p "$work/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$work"
}
trap finish EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
# One include folder, the package configuration and the pkg-config file.
libdir="$(dirname "$(find "$prefix" -name kvsym.pc -path '*/pkgconfig/*' | head -1)")/.."
test -f "$prefix/include/kvsym/sym/render/symcanv.h"
test -f "$prefix/include/kvsym/kvcore/sdc.h"
test -f "$prefix/include/kvsym/win/wingdi.h"
test -f "$libdir/cmake/kvsym/kvsymConfig.cmake"
test -f "$libdir/pkgconfig/kvsym.pc"
# The layout engine, which the library loads from its own folder.
test -f "$libdir/libkvlayout16.so"
if find "$prefix/include" -name '*.cpp' | grep -q .; then echo "sources were installed as headers"; exit 1; fi

echo "== find_package"
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="$extra" -DCMAKE_EXE_LINKER_FLAGS="$extra" >/dev/null
cmake --build "$work/build" >/dev/null
"$work/build/consumer" "$work/cmake.svg"
grep -q '<svg' "$work/cmake.svg"

echo "== pkg-config"
export PKG_CONFIG_PATH="$libdir/pkgconfig${PKG_CONFIG_PATH:+:$PKG_CONFIG_PATH}"
pkg-config --exists --print-errors kvsym
# shellcheck disable=SC2046,SC2086
"$cxx" $extra "$src/consumer.cpp" -o "$work/consumer-pc" $(pkg-config --cflags --libs kvsym)
LD_LIBRARY_PATH="$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" "$work/consumer-pc" "$work/pc.svg"
grep -q '<svg' "$work/pc.svg"
echo "installed library found and used both ways"
