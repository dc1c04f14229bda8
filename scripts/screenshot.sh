#!/usr/bin/env bash
# Makes the pictures of docs/ with qm7410-screenshots, which drives the real
# window over the simulated stack: under a virtual X server when xvfb-run is
# available, with the offscreen platform otherwise (or when
# QM_SCREENSHOT_OFFSCREEN=1).
#
#   scripts/screenshot.sh [FOLDER] [--only SCENE]    (FOLDER: docs by default)
#
# The build directory is build unless QM_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${QM_BUILD_DIR:-build}
out=docs
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --only) args+=(--only "${2:?--only needs a scene}"); shift 2 ;;
    --only=*) args+=("$1"); shift ;;
    -*) echo "screenshot.sh: unknown option $1" >&2; exit 2 ;;
    *) out=$1; shift ;;
  esac
done

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DQM_WERROR=ON >/dev/null
fi
cmake --build "$build" --target qm7410-screenshots -j2
mkdir -p "$out"

if command -v xvfb-run >/dev/null 2>&1 && [ "${QM_SCREENSHOT_OFFSCREEN:-0}" != 1 ]; then
  env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x1024x24" "$build/qm7410-screenshots" "${args[@]}" "$out"
else
  QT_QPA_PLATFORM=offscreen "$build/qm7410-screenshots" "${args[@]}" "$out"
fi
