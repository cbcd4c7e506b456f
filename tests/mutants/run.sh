#!/usr/bin/env bash
# tests/mutants/run.sh [BUILD] [TEXT]: the mutation round over the guarding lines of
# mutants.tsv (with TEXT, only the rows whose file or line holds it).
# Each mutant is planted in the source, the host build (default build/host) rebuilt and
# the test suites of its subsystem run, then, when it survives them, every host test; a
# mutant that every test survives is reported, unless its row says why it is equivalent. The source is
# restored after each, also when the script is stopped. Slow (a rebuild per mutant): not
# part of scripts/test.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build/host}
only=${2:-}  # only the rows whose file or line holds this text
list=$top/tests/mutants/mutants.tsv
planted=
restore() { [ -n "$planted" ] && git -C "$top" checkout -q -- "$planted"; planted=; }
trap restore EXIT
trap 'restore; exit 130' INT TERM
if ! git -C "$top" diff --quiet -- src; then echo "src has uncommitted changes: commit them first" >&2; exit 2; fi
survivors=0
while IFS=$'\t' read -r file original mutated suites equivalent; do
  case "$file" in ''|'#'*) continue ;; esac
  [ -n "$only" ] && ! grep -qF -- "$only" <<<"$file$original" && continue
  planted=$file
  if ! python3 - "$top/$file" "$original" "$mutated" <<'PY'
import sys
path, original, mutated = (sys.argv[1], sys.argv[2].replace('\\n', '\n'), sys.argv[3].replace('\\n', '\n'))
mutated = '' if mutated == '-' else mutated
text = open(path, encoding='utf-8').read()
if text.count(original) != 1:
    sys.exit(f"{path}: the line to mutate is there {text.count(original)} times")
open(path, 'w', encoding='utf-8').write(text.replace(original, mutated))
PY
  then restore; echo "STALE  $file: $original"; survivors=$((survivors + 1)); continue; fi
  if ! cmake --build "$build" --target hosttests tastavia-cli -- --no-print-directory >/tmp/mutant-build.log 2>&1; then
    echo "KILLED (does not build)  $file: $original"
  elif (cd "$build" && timeout 900 ./tests/host/hosttests --gtest_filter="$suites" --gtest_brief=1 >/tmp/mutant-test.log 2>&1 &&
        timeout 1800 ./tests/host/hosttests --gtest_brief=1 >/tmp/mutant-test.log 2>&1); then
    if [ -n "$equivalent" ]; then
      echo "SURVIVED, equivalent ($equivalent)  $file: $original"
    else
      echo "SURVIVED  $file: $original"
      survivors=$((survivors + 1))
    fi
  else
    echo "KILLED by $(grep -m3 '^\[  FAILED  \]' /tmp/mutant-test.log | sed 's/\[  FAILED  \] //; s/ (.*//' | paste -sd, -)  $file: $original"
  fi
  restore
done <"$list"
# The build is left as the source is.
cmake --build "$build" --target hosttests tastavia-cli -- --no-print-directory >/dev/null 2>&1
echo "$survivors survivors"
[ "$survivors" -eq 0 ]
