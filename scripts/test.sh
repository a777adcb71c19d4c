#!/usr/bin/env bash
# Builds everything and runs the test suite. With --sanitize the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer (in build-sanitize).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=build
flags=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-sanitize
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVA_SANITIZE=ON -DTORVA_BENCH=OFF)
  export TORVA_RANDOM_INSTANCES="${TORVA_RANDOM_INSTANCES:-750}"
fi
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j2
