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
  # Linux has no "Courier New": draw it with DejaVu Sans Mono, which has Cyrillic, also
  # when a program asks for it without fixed pitch (Wine would then pick a proportional font).
  if [ ! -f "$prefix/.tastavia-fonts" ]; then
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'DejaVu Sans Mono' /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.tastavia-fonts"
  fi
  # TASTAVIA_WINE_MANAGED=N lets Wine draw and place its windows itself: in a virtual
  # display without a window manager it then need not wait for one, and captions show.
  wanted=${TASTAVIA_WINE_MANAGED:-Y}
  if [ "$(cat "$prefix/.tastavia-managed" 2>/dev/null)" != "$wanted" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$wanted" /f >/dev/null 2>&1
    wineserver -w
    echo "$wanted" > "$prefix/.tastavia-managed"
  fi
) 9>"$prefix.lock"
exec wine "$@"
