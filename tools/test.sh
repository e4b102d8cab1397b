#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: once plain, once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
jobs=$(nproc)

run_suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j"$jobs"
  # Window tests start an X server each (tools/with-xvfb.sh). A test that
  # fails gets one more run, so a hiccup of the machine under full load does
  # not decide the build; a real fault fails both times.
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --repeat until-pass:2
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DZANDREL_SANITIZE=ON
