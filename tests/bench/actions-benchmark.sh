#!/usr/bin/env bash
# tests/bench/actions-benchmark.sh [ROUNDS] [CONFIG...]: how long tastavia.exe's actions
# take with many installed layouts, against their floors measured in the same run (see
# tests/bench/actions/ActionTimer.cpp). Each CONFIG is VERSION:LAYOUTS:LANGUAGES, VERSION
# xp or 98 as Wine reports it to tastavia.exe; by default xp:1000:0 xp:5000:0 98:1000:100
# 98:1000:1000 98:5000:100. ROUNDS defaults to 7. Runs in a Wine prefix of its own
# (build/win32/bench/actions-prefix, Bulgarian locale as scripts/run); needs build/win32
# (scripts/build win32); uses its own virtual display when none is set.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-7}
shift || true
configs=("$@")
[ ${#configs[@]} -gt 0 ] || configs=(xp:1000:0 xp:5000:0 98:1000:100 98:1000:1000 98:5000:100)
build=${TASTAVIA_BUILD_DIR:-$top/build/win32}
program_exe=${TASTAVIA_PROGRAM:-$build/tastavia.exe}  # another build to compare with
for f in "$program_exe" "$build/bench/action-timer.exe"; do
  [ -f "$f" ] || { echo "actions-benchmark: $f is missing: run scripts/build win32" >&2; exit 1; }
done

prefix=$build/bench/actions-prefix
# Each registry call under Wine is a round trip to wineserver. With the processes spread
# over two processors the same read of 1,000 keys took 24 to 350 ms from one run to the
# next; on one processor it takes 24 ms every time. So the whole run, wineserver and Xvfb
# included, shares one processor, and a server started earlier unpinned is ended first.
if [ -z "${TASTAVIA_BENCH_PINNED:-}" ] && command -v taskset >/dev/null; then
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  TASTAVIA_BENCH_PINNED=1 exec taskset -c 0 "$0" "$rounds" "${configs[@]}"
fi
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$rounds" "${configs[@]}"; fi
work=$(mktemp -d "$build/bench/actions.XXXXXX")
runner=("$top/tests/win32/run-under-wine.sh" "$prefix")
trap '"${runner[@]}" "$work/action-timer.exe" unseed >/dev/null 2>&1 || true; rm -rf "$work"; WINEPREFIX=$prefix wineserver -k 2>/dev/null || true' EXIT
cp "$program_exe" "$work/tastavia.exe"
cp "$build/bench/action-timer.exe" "$work/"
# No window manager in the virtual display: a managed Wine would wait two seconds for one
# each time a window hides, and every start-up would time that wait.
export LC_ALL=bg_BG.UTF-8 TASTAVIA_WINE_MANAGED=N
win() { "${runner[@]}" winepath -w "$1" 2>/dev/null; }
timer=$(win "$work/action-timer.exe")
program=$(win "$work/tastavia.exe")
echo "processor 0 of $(nproc --all), load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
for config in "${configs[@]}"; do
  IFS=: read -r version layouts languages <<<"$config"
  case "$version" in 98) wine_version=win98 ;; xp) wine_version=winxp ;; *) echo "bad config $config" >&2; exit 2 ;; esac
  "${runner[@]}" reg add 'HKCU\Software\Wine\AppDefaults\tastavia.exe' /v Version /d "$wine_version" /f >/dev/null 2>&1
  "${runner[@]}" "$timer" unseed
  "${runner[@]}" "$timer" seed "$layouts" "$languages"
  echo
  echo "## Windows $version, $layouts layouts, $languages languages, $rounds rounds"
  "${runner[@]}" "$timer" time "$rounds" "$program" | tee "$work/$config.txt"
done

# What the languages cost: Windows 98's Refresh with more languages against the same
# layouts with fewer.
refresh() { awk -F'|' '$2 == " Refresh " { print $3 + 0 }' "$work/$1.txt"; }
for more in "${configs[@]}"; do
  IFS=: read -r version layouts languages <<<"$more"
  [ "$version" = 98 ] || continue
  for fewer in "${configs[@]}"; do
    IFS=: read -r version2 layouts2 languages2 <<<"$fewer"
    [ "$version2" = 98 ] && [ "$layouts2" = "$layouts" ] && [ "$languages2" -lt "$languages" ] || continue
    a=$(refresh "$more") b=$(refresh "$fewer")
    awk -v a="$a" -v b="$b" -v n="$layouts" -v m="$languages" -v f="$languages2" 'BEGIN {
      printf "\nWindows 98 Refresh, %d layouts: %.1f ms with %d languages, %.1f ms with %d: x %.2f\n", n, a, m, b, f, a / b }'
  done
done
