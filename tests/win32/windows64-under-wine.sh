#!/usr/bin/env bash
# windows64-under-wine.sh PREFIX WINTESTS.EXE CHECK-LAYOUT64.EXE: the tests of a 64-bit
# Windows in a 64-bit Wine prefix of their own that reports Windows 10, with the Bulgarian
# locale and the fonts of the other prefixes: the 32-bit wintests.exe runs under WOW64,
# installs through the main window and hands the installed library to the 64-bit checker.
set -euo pipefail
prefix=$1 wintests=$2 checker=$3
runner=$(dirname "$0")/run-under-wine.sh
export TASTAVIA_WINEARCH=win64 LC_ALL=bg_BG.UTF-8
"$runner" "$prefix" reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
# A crash ends the test at once instead of waiting for someone to close Wine's crash box.
"$runner" "$prefix" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# Wine shows the Unix file system as drive Z:.
export TASTAVIA_CHECKER64="Z:${checker//\//\\}"
output=$("$runner" "$prefix" "$wintests" --gtest_filter='Windows64.*:UseItNow*:LostLayouts*' 2>&1) && status=0 || status=$?
echo "$output"
# Skipped here would mean nothing was proven.
if grep -q '\[  SKIPPED \]' <<<"$output"; then echo "FAIL: skipped in the 64-bit prefix" >&2; exit 1; fi
exit "$status"
