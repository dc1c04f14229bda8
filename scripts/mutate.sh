#!/usr/bin/env bash
# Seeds one known fault at a time into a copy of the tree and checks that the
# test suite notices it. A developer tool, not part of CI.
#
#   scripts/mutate.sh [--list FILE] [--only ID...] [--jobs N]
#
#   --list FILE   the fault list (default scripts/mutants.txt)
#   --only ID...  run only these faults (ids up to the next option)
#   --jobs N      parallel build jobs and tests (default 2)
#
# The git-tracked files of the working tree (uncommitted edits included) are
# copied to ${TMPDIR:-/tmp}/qm-mutate/<worktree>/src and built once there
# (RelWithDebInfo, no benchmarks, ccache when present); the unmutated suite
# must pass. Then, for each fault: apply it, rebuild incrementally, run ctest
# until the first failure, restore the file. The repository is never written.
# The copy and its build are kept, so a second run only rebuilds what changed.
#
# Each fault ends as one of:
#   caught          the build failed, or a test failed or timed out (named)
#   SURVIVED        everything built and every test passed
#   not applicable  its text does not occur exactly once in its file
#
# Exit status: 0 every fault caught; 1 at least one survived; 2 bad usage, a
# malformed list, a failing unmutated suite, or a fault not applicable.
set -euo pipefail

repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
list=$repo/scripts/mutants.txt
jobs=2
only=()

# The usage lines of the header above; on stderr with status 2 after a bad
# option, on stdout with status 0 for --help.
usage() {
  if [[ ${1:-} == ok ]]; then sed -n '5,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0; fi
  sed -n '5,9p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

while (($#)); do
  case $1 in
    --list)
      (($# >= 2)) || { echo "mutate.sh: --list needs a file" >&2; usage; }
      list=$(realpath -- "$2"); shift 2 ;;
    --only)
      shift
      while (($#)) && [[ $1 != --* ]]; do only+=("$1"); shift; done
      ((${#only[@]})) || { echo "mutate.sh: --only needs at least one fault id" >&2; usage; } ;;
    --jobs)
      [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || { echo "mutate.sh: --jobs needs a positive number" >&2; usage; }
      jobs=$2; shift 2 ;;
    -h|--help) usage ok ;;
    *) echo "mutate.sh: unknown option '$1'" >&2; usage ;;
  esac
done
[[ -f $list ]] || { echo "mutate.sh: no fault list at $list" >&2; exit 2; }

scratch=${TMPDIR:-/tmp}/qm-mutate/$(basename "$repo")
src=$scratch/src
build=$scratch/build
logs=$scratch/logs
mkdir -p "$src" "$logs"
exec 9>"$scratch/lock"
flock -n 9 || { echo "mutate.sh: another run is using $scratch" >&2; exit 2; }

# ---------------------------------------------------------------------------
# The fault list: one fault per line, five fields separated by "@@":
#   id @@ file @@ text to find @@ replacement @@ description
# Fields are trimmed; "#" starts a comment line. The replacement may be empty.
# ---------------------------------------------------------------------------
ids=() files=() finds=() repls=() descs=()

trim() { local s=$1; s=${s#"${s%%[![:space:]]*}"}; s=${s%"${s##*[![:space:]]}"}; printf '%s' "$s"; }

read_list() {
  local line n=0 rest fields f
  while IFS= read -r line || [[ -n $line ]]; do
    n=$((n + 1))
    [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
    fields=() rest=$line
    while [[ $rest == *@@* ]]; do fields+=("$(trim "${rest%%@@*}")"); rest=${rest#*@@}; done
    fields+=("$(trim "$rest")")
    if ((${#fields[@]} != 5)) || [[ -z ${fields[0]} || -z ${fields[1]} || -z ${fields[2]} ]]; then
      echo "mutate.sh: $list:$n: expected 'id @@ file @@ find @@ replacement @@ description'" >&2
      exit 2
    fi
    if [[ ${fields[2]} == "${fields[3]}" ]]; then
      echo "mutate.sh: $list:$n: fault ${fields[0]} replaces its text by the same text" >&2
      exit 2
    fi
    for f in "${ids[@]}"; do
      [[ $f != "${fields[0]}" ]] || { echo "mutate.sh: $list:$n: fault id ${fields[0]} used twice" >&2; exit 2; }
    done
    ids+=("${fields[0]}") files+=("${fields[1]}") finds+=("${fields[2]}")
    repls+=("${fields[3]}") descs+=("${fields[4]}")
  done <"$list"
}

# How often the literal text $2 occurs in file $1 (0 when the file is missing).
count_text() {
  [[ -f $1 ]] || { echo 0; return; }
  FIND=$2 python3 -c 'import os, sys; print(open(sys.argv[1], encoding="utf-8").read().count(os.environ["FIND"]))' "$1"
}

# Replaces the one occurrence of literal text $2 in file $1 by $3.
replace_text() {
  FIND=$2 REPL=$3 python3 -c '
import os, sys
path, find, repl = sys.argv[1], os.environ["FIND"], os.environ["REPL"]
text = open(path, encoding="utf-8").read()
assert text.count(find) == 1
open(path, "w", encoding="utf-8").write(text.replace(find, repl, 1))' "$1"
}

read_list
selected=()
if ((${#only[@]})); then
  for want in "${only[@]}"; do
    found=
    for i in "${!ids[@]}"; do [[ ${ids[i]} == "$want" ]] && { selected+=("$i"); found=1; }; done
    [[ -n $found ]] || { echo "mutate.sh: no fault '$want' in $list" >&2; exit 2; }
  done
else
  selected=("${!ids[@]}")
fi

# ---------------------------------------------------------------------------
# Copy the tree: tracked files whose content differs are copied with a fresh
# modification time (so ninja rebuilds what depends on them); files no longer
# tracked are removed from the copy.
# ---------------------------------------------------------------------------
echo "=== copying the tracked files of $repo to $src"
(
  cd "$repo"
  git ls-files -z | while IFS= read -r -d '' f; do
    [[ -f $f ]] || continue
    if ! cmp -s -- "$f" "$src/$f"; then
      mkdir -p -- "$src/$(dirname -- "$f")"
      cp -- "$f" "$src/$f"
    fi
  done
  comm -z -13 <(git ls-files -z | sort -z) <(cd "$src" && find . -type f -printf '%P\0' | sort -z) |
    (cd "$src" && xargs -0 -r rm -f --)
)

# A fault that no longer fits the tree is reported now, before the long build.
for i in "${selected[@]}"; do
  n=$(count_text "$src/${files[i]}" "${finds[i]}")
  ((n == 1)) || echo "WARNING: fault ${ids[i]}: its text occurs $n times in ${files[i]}; it will be not applicable" >&2
done

export QT_QPA_PLATFORM=offscreen
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
echo "=== configuring $build"
nice cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_BENCH=OFF \
  "${launcher[@]}" >"$logs/configure.log" 2>&1 || { cat "$logs/configure.log" >&2; exit 2; }

build_tree() { nice cmake --build "$build" -j "$jobs" >"$1" 2>&1; }
run_tests() { nice ctest --test-dir "$build" -j "$jobs" --stop-on-failure --output-on-failure >"$1" 2>&1; }

started=$SECONDS
echo "=== building and testing the unmutated tree"
build_tree "$logs/baseline-build.log" || { tail -40 "$logs/baseline-build.log" >&2; echo "the unmutated tree does not build" >&2; exit 2; }
run_tests "$logs/baseline-test.log" || { tail -40 "$logs/baseline-test.log" >&2; echo "the unmutated suite fails" >&2; exit 2; }
echo "    passed in $((SECONDS - started)) s"

# Test name -> the test executable that holds it, to say what caught a fault.
ctest --test-dir "$build" --show-only=json-v1 | python3 -c '
import json, os, sys
for t in json.load(sys.stdin).get("tests", []):
    print(t["name"] + "\t" + os.path.basename(t.get("command", ["?"])[0]))' >"$scratch/test-executables.tsv"

# The first failing test of a ctest log, as "executable: Suite.Test (reason)".
first_failure() {
  local line name reason exe
  line=$(sed -n '/The following tests FAILED:/{n;p;q}' "$1")
  [[ $line =~ -\ (.*)\ \((.*)\)[[:space:]]*$ ]] || { echo "ctest failed (see $1)"; return; }
  name=${BASH_REMATCH[1]} reason=${BASH_REMATCH[2]}
  exe=$(awk -F'\t' -v n="$name" '$1 == n { print $2; exit }' "$scratch/test-executables.tsv")
  echo "${exe:-?}: $name ($reason)"
}

# Put back the file of the fault under way if the run stops half-way.
mutated='' original=$scratch/original
restore() { [[ -z $mutated ]] || cp -- "$original" "$mutated"; mutated=; }
trap restore EXIT
trap 'exit 130' INT TERM

caught=0 survivors=() inapplicable=()
total=${#selected[@]} k=0
echo "=== $total faults"
for i in "${selected[@]}"; do
  k=$((k + 1))
  id=${ids[i]} file=$src/${files[i]} log=$logs/${ids[i]}
  t0=$SECONDS
  tag=$(printf '[%2d/%d] %-30s' "$k" "$total" "$id")
  n=$(count_text "$file" "${finds[i]}")
  if [[ ! -f $file ]]; then
    echo "$tag not applicable: there is no ${files[i]}"
    inapplicable+=("$id")
    continue
  elif ((n != 1)); then
    echo "$tag not applicable: its text occurs $n times in ${files[i]}"
    inapplicable+=("$id")
    continue
  fi
  cp -- "$file" "$original"
  mutated=$file
  replace_text "$file" "${finds[i]}" "${repls[i]}"
  if ! build_tree "$log.build.log"; then
    verdict="caught      build failure"
    caught=$((caught + 1))
  elif ! run_tests "$log.test.log"; then
    verdict="caught      $(first_failure "$log.test.log")"
    caught=$((caught + 1))
  else
    verdict="SURVIVED    ${descs[i]}"
    survivors+=("$id")
  fi
  restore
  echo "$tag $verdict  [$((SECONDS - t0)) s]"
done

# Leave the build matching the unmutated tree for the next run.
build_tree "$logs/final-build.log" || true

echo "=== $caught of $total caught, ${#survivors[@]} survived, ${#inapplicable[@]} not applicable" \
     "($(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s); logs in $logs"
if ((${#inapplicable[@]})); then
  echo "not applicable (fix their text in $list):"
  printf '  %s\n' "${inapplicable[@]}"
fi
if ((${#survivors[@]})); then
  echo "survivors:"
  for id in "${survivors[@]}"; do
    for i in "${!ids[@]}"; do [[ ${ids[i]} == "$id" ]] && printf '  %-30s %s\n' "$id" "${descs[i]}"; done
  done
  exit 1
fi
((${#inapplicable[@]} == 0)) || exit 2
exit 0
