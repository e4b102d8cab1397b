#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test once: plain, then under
# AddressSanitizer and UndefinedBehaviorSanitizer; then checks that an
# optimised clang build compiles the program and the tests. Warnings are
# errors here. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
jobs=$(nproc)

build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DZANDREL_WERROR=ON "$@"
  cmake --build "$dir" -j"$jobs"
}

run_suite() {
  build "$@"
  # A flaky test is a fault to mend, so no test gets a second run.
  ctest --test-dir "$1" --output-on-failure -j"$jobs"
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DZANDREL_SANITIZE=ON
build build-clang -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
