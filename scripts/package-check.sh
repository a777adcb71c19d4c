#!/usr/bin/env bash
# Checks torva as installed outside the build tree, with Debian's python3:
# the wheel in a fresh virtual environment and `pip install .` in another,
# each solving a query; then the Debian package made from the release build
# in build/, installed with apt-get, its command line run on examples/ and a
# downstream project built against /usr. The package is purged at the end.
# Needs root (or sudo) for apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "package-check: needs root or sudo without a password (apt-get installs the .deb)" >&2; exit 1; }
  SUDO=sudo
fi
scripts/install-deps.sh
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
started=$SECONDS

passed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
# Runs a command with its output set aside, shown only when it fails.
quiet() { "$@" >"$work/log" 2>&1 || { cat "$work/log"; echo "FAIL: $*"; exit 1; }; }

# In the virtual environment $1, which must import its own torva module:
# x * 3 = 21 over 8 bits (x = 7 alone), then also x < 7 (no solution).
solve_in() {
  (cd "$work" && "$1/bin/python" - <<'EOF'
import sys
import torva
assert torva.__file__.startswith(sys.prefix + "/"), torva.__file__
s = torva.Solver()
x = s.bv_const("x", 8)
s.add(x * 3 == 21)
assert s.check() == torva.Result.SAT
assert int(s.model()[x]) == 7, int(s.model()[x])
s.add(torva.ult(x, 7))
assert s.check() == torva.Result.UNSAT
EOF
  )
}

# Runs the installed torva on examples/FILE; its exit status must be 10 (the
# last answer sat) and the answers those given after FILE.
run_example() {
  local file=$1 status=0 out answers
  shift
  out=$(torva "examples/$file" 2>"$work/stderr") || status=$?
  answers=$(grep -oE '^(Result: [A-Z]+|(un)?sat$|unknown$)' <<<"$out" | tr '\n' ' ')
  if [ "$status" != 10 ] || [ "$answers" != "$* " ]; then
    cat "$work/stderr"
    echo "FAIL: torva examples/$file: exit $status, answers '$answers', wanted exit 10, '$* '"
    exit 1
  fi
}

quiet "$python" -m build --wheel --no-isolation --outdir "$work/dist" .
wheel=$(ls "$work"/dist/torva-*.whl)
"$python" -m venv "$work/wheel-env"
"$work/wheel-env/bin/pip" install -q --no-index "$wheel"
solve_in "$work/wheel-env"
pass "wheel $(basename "$wheel") ($(du -k "$wheel" | cut -f1) KiB) in a fresh venv: sat with x = 7, then unsat"

"$python" -m venv --system-site-packages "$work/pip-env"
"$work/pip-env/bin/pip" install -q --no-index --no-build-isolation .
solve_in "$work/pip-env"
pass "pip install --no-build-isolation . in a fresh venv: sat with x = 7, then unsat"

quiet cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
quiet cmake --build build
quiet cpack --config build/CPackConfig.cmake -B "$work/deb"
deb=$(ls "$work"/deb/torva_*_amd64.deb)
strays=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' |
         grep -v -E '^\./usr/(bin/torva|lib/libtorva\.so(\.[0-9.]+)?|lib/cmake/torva/[^/]+\.cmake|lib/pkgconfig/torva\.pc|include/torva/torva\.(h|hpp))$' || true)
[ -z "$strays" ] || { echo "FAIL: files in the package that do not belong there:"; echo "$strays"; exit 1; }
pass "$(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) holds the command, library, headers, CMake and pkg-config files alone"

export DEBIAN_FRONTEND=noninteractive
trap '$SUDO apt-get purge -y -qq torva >/dev/null 2>&1; rm -rf "$work"' EXIT
quiet $SUDO apt-get install -y --reinstall "$deb"
[ "$(command -v torva)" = /usr/bin/torva ] || { echo "FAIL: torva on PATH is $(command -v torva)"; exit 1; }
run_example arithmetic.smt "Result: SAT"
run_example arithmetic.smt2 sat unsat sat
pass "apt-get install of the package: /usr/bin/torva answers examples/arithmetic.smt and .smt2 (exit 10)"
tests/downstream/check.sh --installed /usr tests/downstream
pass "downstream project against /usr"

quiet $SUDO apt-get purge -y torva
trap 'rm -rf "$work"' EXIT
if dpkg-query -W torva >/dev/null 2>&1 || [ -e /usr/bin/torva ]; then
  echo "FAIL: torva is still there after apt-get purge"
  exit 1
fi
pass "apt-get purge torva leaves no trace in dpkg or /usr"
echo "package check took $((SECONDS - started)) s"
echo "package-check: $passed passed, 0 failed"
