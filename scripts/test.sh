#!/usr/bin/env bash
# Sets up, builds and runs every test: the layer check, a normal build, an
# AddressSanitizer + UndefinedBehaviorSanitizer build, a build without Qt (the
# core, the simulator, the command-line tool and their tests), and the fuzz
# targets built with clang and run briefly. Every step must pass.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --deps

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

echo "=== layers"
scripts/check-layers.sh

run_suite() {
  local dir=$1; shift
  echo "=== $dir: configure and build"
  cmake -S . -B "$dir" -G Ninja -DQM_WERROR=ON "$@" >/dev/null
  cmake --build "$dir"
  echo "=== $dir: tests"
  # The end-to-end tests mostly wait on the programs' real 100 ms ticks, so
  # more tests than cores run at once.
  ctest --test-dir "$dir" --output-on-failure -j$(($(nproc) * 4))
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON -DQM_BUILD_BENCH=OFF
run_suite build-noqt -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_WITH_QT=OFF -DQM_BUILD_BENCH=OFF

echo "=== fuzz targets: a short run each"
scripts/fuzz.sh 5
echo "=== every suite passed"
