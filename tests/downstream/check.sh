#!/usr/bin/env bash
# Builds and runs a program against an installed torva twice: as a CMake
# project (find_package(torva)) and with the flags pkg-config gives. Each
# must print "ok".
#   check.sh BUILD SOURCE [FLAGS]          installs BUILD into a fresh prefix first
#   check.sh --installed PREFIX SOURCE     uses what is installed in PREFIX (/usr
#                                          after apt install), found by the loader
# Extra compiler and linker flags (a sanitizer build's) come as FLAGS.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$1" = --installed ]; then
  prefix=$2
  shift 2
else
  prefix=$work/prefix
  cmake --install "$1" --prefix "$prefix" >/dev/null
  shift
fi
source=$1
flags=${2:-}
pc=$(find "$prefix"/lib* -maxdepth 3 -path '*/pkgconfig/torva.pc' | head -n1)
[ -n "$pc" ] || { echo "no pkgconfig/torva.pc under $prefix"; exit 1; }
export PKG_CONFIG_PATH=${pc%/torva.pc}
# A fresh prefix is no place the loader searches; an installed one must be.
rpath=()
if [ "$prefix" = "$work/prefix" ]; then
  rpath=("-Wl,-rpath,$(pkg-config --variable=libdir torva)")
fi

cmake -S "$source" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$work/cmake" >/dev/null
[ "$("$work/cmake/downstream")" = ok ] || { echo "the find_package build did not print ok"; exit 1; }

# shellcheck disable=SC2046,SC2086
c++ -std=c++17 $flags "$source/main.cc" -o "$work/pkgconfig" $(pkg-config --cflags --libs torva) "${rpath[@]}"
[ "$("$work/pkgconfig")" = ok ] || { echo "the pkg-config build did not print ok"; exit 1; }
echo "find_package and pkg-config builds against $prefix both print ok"
