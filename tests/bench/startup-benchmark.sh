#!/usr/bin/env bash
# tests/bench/startup-benchmark.sh [RUNS]: how long tastavia.exe takes from process start
# to a visible, painted start dialog, against a bare Win32 program that shows one window of
# the same size with one button. All run under the project's Wine (build/win32/wineprefix,
# Bulgarian locale as scripts/run), started in turn RUNS times (default 15); prints the
# medians and their ratio to the bare program's, for the program as built and for a
# stripped copy as shipped, and for bare-dialog: the bare program with the start dialog's
# system controls and common controls 6, what those cost without any of the program.
# Needs build/win32 (scripts/build win32); uses its own virtual display when none is set.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-15}
build=${TASTAVIA_BUILD_DIR:-$top/build/win32}
for f in "$build/tastavia.exe" "$build/bench/bare-window.exe" "$build/bench/bare-dialog.exe" \
         "$build/bench/startup-timer.exe"; do
  [ -f "$f" ] || { echo "startup-benchmark: $f is missing: run scripts/build win32" >&2; exit 1; }
done
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"; fi

work=$(mktemp -d "$build/bench/run.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$build/tastavia.exe" "$build/bench/bare-window.exe" "$build/bench/bare-dialog.exe" "$work/"
i686-w64-mingw32-strip -o "$work/tastavia-stripped.exe" "$build/tastavia.exe"
ls -l "$work"/*.exe | awk '{printf "%-28s %9d bytes\n", $NF, $5}' | sed "s|$work/||"

export LC_ALL=bg_BG.UTF-8
runner=("$top/tests/win32/run-under-wine.sh" "$build/wineprefix")
win() { "${runner[@]}" winepath -w "$1" 2>/dev/null; }
"${runner[@]}" "$(win "$build/bench/startup-timer.exe")" "$runs" \
  "$(win "$work/bare-window.exe")" "Bare Window" \
  "$(win "$work/tastavia.exe")" "Select Operation System" \
  "$(win "$work/tastavia-stripped.exe")" "Select Operation System" \
  "$(win "$work/bare-dialog.exe")" "Bare Window"
