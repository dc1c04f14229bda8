#!/usr/bin/env bash
# Sets up, builds and starts the monitor window on the built-in simulated stack.
# Extra arguments are passed on, e.g. scripts/run.sh --simulate=boards=6,thsd=2
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ -x build/qm7410-gui ]; then
  if [ $# -eq 0 ]; then set -- --simulate; fi
  exec build/qm7410-gui "$@"
fi
echo "The window is not built yet; serving the simulated board instead (Ctrl-C to stop)."
exec build/qm7410-sim "$@"
