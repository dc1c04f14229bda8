#!/usr/bin/env bash
# Renders the main window as designed into a PNG (docs/form.png unless a
# path is given), under a virtual X server when xvfb-run is available and
# with the offscreen platform otherwise (or when QM_SCREENSHOT_OFFSCREEN=1).
#
#   scripts/screenshot.sh [output.png]
#
# The build directory is build-ui unless QM_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${QM_BUILD_DIR:-build}
out=${1:-docs/form.png}
case "$out" in
  /*) ;;
  *) out="$PWD/$out" ;;
esac

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DQM_WERROR=ON >/dev/null
fi
ninja -C "$build" -j2 test_ui
mkdir -p "$(dirname "$out")"

export QM_FORM_SCREENSHOT="$out"
if command -v xvfb-run >/dev/null 2>&1 && [ "${QM_SCREENSHOT_OFFSCREEN:-0}" != 1 ]; then
  env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/test_ui" --gtest_filter='FormScreenshot.*'
else
  QT_QPA_PLATFORM=offscreen "$build/test_ui" --gtest_filter='FormScreenshot.*'
fi
echo "wrote $out"
