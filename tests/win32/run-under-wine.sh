#!/usr/bin/env bash
# run-under-wine.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under Wine with a
# project-local prefix, made on first use. Never touches ~/.wine. The prefix is 32-bit;
# TASTAVIA_WINEARCH=win64 makes a 64-bit one, with its SysWOW64 for 32-bit programs.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=${TASTAVIA_WINEDEBUG:--all} WINEARCH=${TASTAVIA_WINEARCH:-win32}
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
  # Wine's own fonts (Tahoma, MS Sans Serif, Marlett for the title bar buttons): Debian
  # installs them in /usr/share/wine/fonts, but its Wine looks for them one folder up,
  # in /usr/share/fonts, so the prefix's Fonts folder links them where Wine looks first.
  fonts=$prefix/drive_c/windows/Fonts
  mkdir -p "$fonts"
  for font in /usr/share/wine/fonts/*; do
    [ -e "$font" ] && [ ! -e "$fonts/${font##*/}" ] && ln -s "$font" "$fonts/"
  done
  # The dialog font has the widths of Windows 98 and 2000 (MS Sans Serif, not Wine's
  # Tahoma), and Courier New those of Liberation Mono, which shares its metrics. Wine
  # puts Tahoma back whenever it sees another code page, sometimes from a process that
  # starts after the value was set, so the value itself is read on every run and set
  # until it holds.
  key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  shell_dlg() { wine reg query "$key" /v 'MS Shell Dlg' 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'; }
  for _ in 1 2 3; do
    [ "$(shell_dlg)" = 'MS Sans Serif' ] && break
    wine reg add "$key" /v 'MS Shell Dlg' /d 'MS Sans Serif' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' /f >/dev/null 2>&1
    wineserver -w
  done
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
