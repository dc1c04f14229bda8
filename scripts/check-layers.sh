#!/usr/bin/env bash
# Checks that the layers of src/ include only downwards and that Qt stays in
# the window: each folder may include its own headers and those of the
# folders listed for it below; no file outside src/ui and src/apps includes a
# Qt header. Prints every offending include and exits 1 when there is one.
#
#   scripts/check-layers.sh
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [link]="link"
  [protocol]="protocol link"
  [sim]="sim protocol link"
  [config]="config protocol link"
  [presentation]="presentation config protocol link"
  [datalog]="datalog"
  [acquisition]="acquisition datalog presentation config protocol link"
  [options]="options sim protocol link"
  [ui]="ui acquisition datalog presentation config protocol link options sim"
  [apps]="apps ui acquisition datalog presentation config protocol link options sim"
)

status=0
while IFS= read -r file; do
  layer=${file#src/}
  layer=${layer%%/*}
  if [ -z "${allowed[$layer]+x}" ]; then
    echo "$file: folder src/$layer has no place in the layer list of $0"
    status=1
    continue
  fi
  while IFS= read -r line; do
    target=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$line")
    [ "$target" = "$line" ] && continue
    case " ${allowed[$layer]} " in
      *" $target "*) ;;
      *) echo "$file: src/$layer may not include src/$target: $line"; status=1 ;;
    esac
  done < <(grep -E '^#include "[^/"]+/' "$file" || true)
  if [ "$layer" != ui ] && [ "$layer" != apps ] && grep -qE '^#include <Q' "$file"; then
    echo "$file: a Qt header outside src/ui and src/apps: $(grep -m1 -E '^#include <Q' "$file")"
    status=1
  fi
done < <(git ls-files 'src/*.h' 'src/*.cpp')

if [ "$status" = 0 ]; then echo "layers: every include points downwards; Qt only in src/ui and src/apps"; fi
exit "$status"
