#!/usr/bin/env bash
# Installs the build and test dependencies that a fresh Debian machine lacks.
set -euo pipefail
packages=(cmake ninja-build g++ flex bison pkg-config libgmp-dev libgtest-dev libbenchmark-dev libcadical-dev python3 python3-dev python3-pytest pybind11-dev gnuplot-nox python3-venv python3-setuptools python3-wheel python3-build dpkg-dev file munge slurmctld slurmd slurm-client)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
