#!/usr/bin/env bash
# Remakes the traffic fixtures under tests/data/traffic/: each recording is made
# afresh over its faulty simulated stack while the scripted operator works the
# session, and what the session showed after every step is written beside it
# (NAME.view). Run it when the traffic or the view legitimately changes, check
# the difference with `git diff tests/data/traffic`, and commit it with the
# change that caused it. The stacks and scripts are in
# tests/acquisition/TrafficFixtures.h.
#
#   scripts/remake-traffic-fixtures.sh [BUILD_DIR]    (build/ by default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DQM_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target test_acquisition
QM_REMAKE_TRAFFIC_FIXTURES=1 "$build/test_acquisition" --gtest_filter='TrafficFixtures.Remake'
# The fresh fixtures must replay to what they showed.
"$build/test_acquisition" --gtest_filter='TrafficFixtures.*:TrafficReplay.*'
git --no-pager diff --stat -- tests/data/traffic || true
