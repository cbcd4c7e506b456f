#!/usr/bin/env bash
# start-under-wine.sh PREFIX TASTAVIA.EXE: with Wine reporting Windows 98, 2000, XP and 10 in
# turn, tastavia.exe starts, shows its start dialog and ends cleanly on Escape. Needs an X
# display (scripts/test gives one); without one the test is skipped (exit 77).
set -uo pipefail
prefix=$1 exe=$2
runner=$(dirname "$0")/run-under-wine.sh
[ -n "${DISPLAY:-}" ] || { echo "no X display: skipped"; exit 77; }
export LC_ALL=bg_BG.UTF-8
key='HKCU\Software\Wine\AppDefaults\tastavia.exe'
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for version in win98 win2k winxp win10; do
  "$runner" "$prefix" reg add "$key" /v Version /d "$version" /f >/dev/null 2>&1
  "$runner" "$prefix" "$exe" &
  pid=$!
  window=
  for _ in $(seq 1 120); do
    window=$(xdotool search --onlyvisible --name '^Select Operation System$' 2>/dev/null | head -1)
    [ -z "$window" ] && kill -0 "$pid" 2>/dev/null || break
    sleep 1
  done
  if [ -z "$window" ]; then
    fail "$version: no start dialog"
  else
    xdotool windowfocus --sync "$window" key Escape
  fi
  for _ in $(seq 1 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$version: still running after Escape"
    kill "$pid"
  fi
  wait "$pid"; code=$?
  [ -z "$window" ] || [ "$code" -eq 0 ] || fail "$version: exit code $code"
  echo "$version: ${window:+start dialog shown, }exit code $code"
done
"$runner" "$prefix" reg delete "$key" /v Version /f >/dev/null 2>&1
[ "$failures" -eq 0 ]
