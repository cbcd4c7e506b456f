#!/usr/bin/env bash
# run-under-wine.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under Wine with a
# project-local prefix, made on first use. Never touches ~/.wine.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win32
# No Mono or Gecko installers: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
exec wine "$@"
