#!/usr/bin/env bash
# Builds the project in build/ and runs every test. What the tests need
# beyond a compiler and CMake (GoogleTest, faketime) is installed with
# apt-get first when it is missing, as root or through sudo; where that is
# not possible the script stops and names the packages to install.
set -euo pipefail
cd "$(dirname "$0")/.."

has_gtest() {
  local prefix
  for prefix in /usr /usr/local; do
    [ -f "$prefix/include/gtest/gtest.h" ] && return 0
  done
  return 1
}

need=()
has_gtest || need+=(libgtest-dev)
command -v faketime >/dev/null 2>&1 || need+=(faketime)

if [ ${#need[@]} -gt 0 ]; then
  install=()
  if [ "$(id -u)" -eq 0 ]; then
    install=(env DEBIAN_FRONTEND=noninteractive)
  elif command -v sudo >/dev/null 2>&1; then
    install=(sudo env DEBIAN_FRONTEND=noninteractive)
  fi
  if [ ${#install[@]} -eq 0 ] || ! command -v apt-get >/dev/null 2>&1 ||
     ! { "${install[@]}" apt-get update -qq && "${install[@]}" apt-get install -y -qq "${need[@]}"; }; then
    echo "tests/run.sh: the tests need ${need[*]}; install them (Debian: apt-get install ${need[*]}) and run again" >&2
    exit 1
  fi
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure --no-tests=error -j "$jobs")
