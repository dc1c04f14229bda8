#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target, 60 by default; TARGET one of reads, sim, scenario,
# traffic (all of them when none is named).
#
# The seeds in fuzz/corpus/<target> are only read; what the runs learn goes to
# build-fuzz/corpus/<target>, so repeated runs build on each other without
# touching the repository. A crash, sanitizer report or broken invariant ends
# that target's run, leaves the input in build-fuzz/findings/<target>/ and
# makes the script exit with status 1 (after the other targets have run).
# Replay a finding with: build-fuzz/fuzz_<target> build-fuzz/findings/<target>/<file>
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(reads sim scenario traffic)
usage="usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (seconds per target, default 60; targets: ${all_targets[*]})"
seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "$usage" >&2
  exit 2
fi
shift $(( $# > 0 ? 1 : 0 ))
targets=("${@:-${all_targets[@]}}")
for target in "${targets[@]}"; do
  if [[ ! " ${all_targets[*]} " == *" $target "* ]]; then
    echo "scripts/fuzz.sh: unknown target '$target'" >&2
    echo "$usage" >&2
    exit 2
  fi
done
if ! command -v clang++ >/dev/null; then
  echo "scripts/fuzz.sh: clang++ is needed for libFuzzer (Debian package clang)" >&2
  exit 2
fi

build=build-fuzz

echo "=== $build: configure and build"
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DQM_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  log="$build/fuzz_$target.log"
  mkdir -p "$corpus" "$findings"
  echo "=== fuzz_$target: $seconds s (log $log)"
  if "$build/fuzz_$target" "$corpus" "fuzz/corpus/$target" \
      -dict="fuzz/$target.dict" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
    grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$log" || true
    echo "    corpus: $(find "$corpus" -type f | wc -l) inputs"
  else
    status=1
    echo "*** fuzz_$target found a fault:"
    grep -E "ERROR|invariant broken|SUMMARY|Test unit written" "$log" | head -20 || tail -20 "$log"
  fi
done

if [[ $status -eq 0 ]]; then
  echo "=== no findings"
else
  echo "=== findings in $build/findings (see the logs above)"
fi
exit $status
