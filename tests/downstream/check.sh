#!/usr/bin/env bash
# Installs the build into a fresh prefix, then builds and runs a program
# against it twice: as a CMake project (find_package(torva)) and with the
# flags pkg-config gives. Each must print "ok". Extra compiler and linker
# flags (a sanitizer build's) come as the third argument.
set -euo pipefail
build=$1
source=$2
flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
libdir=$(ls -d "$work"/prefix/lib*/ | head -n1)
libdir=${libdir%/}

cmake -S "$source" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
      -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
      -DCMAKE_BUILD_RPATH="$libdir" >/dev/null
cmake --build "$work/cmake" >/dev/null
[ "$("$work/cmake/downstream")" = ok ] || { echo "the find_package build did not print ok"; exit 1; }

export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046,SC2086
c++ -std=c++17 $flags "$source/main.cc" -o "$work/pkgconfig" $(pkg-config --cflags --libs torva) -Wl,-rpath,"$libdir"
[ "$("$work/pkgconfig")" = ok ] || { echo "the pkg-config build did not print ok"; exit 1; }
echo "find_package and pkg-config builds both print ok"
