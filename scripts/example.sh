#!/usr/bin/env bash
# Builds torva and runs it on a bundled example benchmark (or on the file given).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target torva
set +e
./build/torva "${1:-examples/arithmetic.smt}"
status=$?
echo "exit status: $status"
