#!/usr/bin/env bash
# run-under-wine.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under Wine with a
# project-local prefix, made on first use. Never touches ~/.wine.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win32
# No Mono or Gecko installers: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
mkdir -p "$prefix"
# Tests may start together: the first one makes the prefix, the others wait for it.
(
  flock 9
  if [ ! -f "$prefix/.tastavia-ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    touch "$prefix/.tastavia-ready"
  fi
) 9>"$prefix.lock"
exec wine "$@"
