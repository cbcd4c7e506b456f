#!/usr/bin/env bash
# cli-under-wine.sh PREFIX CLI.EXE RESOURCES: tastavia-cli.exe under Wine makes, exports,
# imports and shows layouts exactly as the Linux build does.
set -uo pipefail
prefix=$1 cli=$2 resources=$3
runner=$(dirname "$0")/run-under-wine.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
cli() { "$runner" "$prefix" "$cli" "$@"; }

for kind in 98 2000 xp x64 wow64 arm64; do
  for layout in bds phonetic; do
    name=$(echo "$layout" | tr a-z A-Z)
    cli new --os "$kind" --"$layout" -o "$layout$kind.bin" || fail "new --os $kind --$layout"
    cli export "$layout$kind.bin" -o "$layout$kind.ini" || fail "export $kind $layout"
    cmp -s "$layout$kind.ini" "$resources/$name.ini" || fail "$kind $layout export differs from $name.ini"
  done
done
cli new --os xp -o plain.dll && cmp -s plain.dll "$resources/WINXP.dll" || fail "new --os xp is not the template"
cli new --os x64 -o plain64.dll && cmp -s plain64.dll "$resources/WINX64.dll" || fail "new --os x64 is not the template"
cli new --os arm64 -o plainarm.dll && cmp -s plainarm.dll "$resources/WINARM64.dll" || fail "new --os arm64 is not the template"

printf '[kbd]\r\n1=168\r\n1001=1\r\n' > in.ini
cli import plain.dll in.ini || fail "import"
out=$(cli show plain.dll) || fail "show"
grep -q "Windows XP layout library" <<<"$out" || fail "show names the kind"
grep -q $'^  1  `         \xD0\x81  168' <<<"$out" || fail "show prints Ё for 168: $(sed -n 3p <<<"$out")"

# A UTF-16 big-endian file is read, and written back big-endian, as on Linux.
wide() { printf '\xFE\xFF'; printf "$1" | iconv -f ASCII -t UTF-16BE; }
wide '[KBD]\r\n1=192\r\n' > be.ini
cli import plain.dll be.ini || fail "import of a big-endian file"
cli export plain.dll -o fresh.ini && cli export plain.dll -o be.ini || fail "export into a big-endian file"
cmp -s be.ini <(printf '\xFE\xFF'; iconv -f ASCII -t UTF-16BE fresh.ini) || fail "big-endian file not kept big-endian"
grep -q $'^1=192\r$' fresh.ini || fail "big-endian import did not set key 1"

cli show missing.dll 2>err.txt; code=$?
[ "$code" = 1 ] || fail "missing file exits $code"
[ "$(wc -l < err.txt)" = 1 ] || fail "missing file message is not one line"
# A device name, as Windows trims it, is never opened: the command ends with a message.
before=$(md5sum < plain.dll)
for device in "COM1 .ini" CON NUL "nul .ini" "CONOUT\$"; do
  timeout 60 "$runner" "$prefix" "$cli" import plain.dll "$device" 2>err.txt </dev/null; code=$?
  [ "$code" = 1 ] || fail "import plain.dll \"$device\" exits $code"
  grep -q "names a device" err.txt || fail "import \"$device\": $(cat err.txt)"
done
[ "$(md5sum < plain.dll)" = "$before" ] || fail "a device name changed plain.dll"
# Nothing but a plain disk file is opened, whatever the spelling: a device with a colon,
# a device path, a folder. Wine's trace of the opens shows none of them.
opens=$(dirname "$0")/opens-under-wine.sh
mkdir -p folder.ini
for path in 'COM1:' 'NUL:' 'CON:' 'com1 .ini:' '\\.\COM1' '\\?\C:\windows\win.ini' folder.ini; do
  case "$path" in folder.ini) pattern='folder\.ini' ;; *) pattern='\\(COM1|NUL|CON)( ?\.ini)?:?"$|win\.ini"$' ;; esac
  refused() {
    "$opens" "$prefix" "$pattern" "$cli" "$@" 2>err.txt; code=$?
    [ "$code" = 1 ] || fail "$* exits $code: $(tail -1 err.txt)"
  }
  refused new --os xp --ini "$path" -o x.dll
  refused import plain.dll "$path"
  refused check "$path"
  refused export plain.dll -o "$path"
done
[ "$(md5sum < plain.dll)" = "$before" ] || fail "a device path changed plain.dll"
# "MZ" and the size of an XP library, its PE header outside the file.
{ printf 'MZ'; head -c 58 /dev/zero; printf '\xF0\xFF\xFF\x7F'; head -c 5568 /dev/zero; } > mz.dll
for command in "show mz.dll --os xp" "check mz.dll --os xp" "export mz.dll --os xp -o mz.ini" "import mz.dll --os xp in.ini"; do
  # shellcheck disable=SC2086
  cli $command 2>err.txt; code=$?
  [ "$code" = 1 ] && grep -q "not the layout tables" err.txt || fail "$command: exit $code, $(cat err.txt)"
done
[ ! -e mz.ini ] || fail "export of mz.dll wrote mz.ini"

# diff across kinds, and the chart: SVG in UTF-8; no PNG library in the Windows build.
cli diff bdsxp.bin bds98.bin >diff.txt; code=$?
[ "$code" = 0 ] && [ ! -s diff.txt ] || fail "diff of BDS in two kinds: exit $code, $(cat diff.txt)"
cli diff bdsxp.bin phonetic2000.bin >diff.txt; code=$?
[ "$code" = 1 ] || fail "diff of BDS and Phonetic exits $code"
grep -q $'^key 1 (`): unshifted ` (96) -> \xD1\x87 (247)' diff.txt || fail "diff's first line: $(head -1 diff.txt)"
cli chart bdsxp.bin -o bds.svg || fail "chart -o bds.svg"
grep -q $'<text id="k29u"[^>]*>\xD0\xB0</text>' bds.svg || fail "the chart's key 29 is not UTF-8 а"
cli chart bdsxp.bin -o bds.png 2>err.txt; code=$?
[ "$code" = 1 ] && grep -q "writes no PNG pictures" err.txt && [ ! -e bds.png ] || fail "chart -o bds.png: exit $code, $(cat err.txt)"

cli frobnicate 2>/dev/null; code=$?
[ "$code" = 2 ] || fail "bad usage exits $code"

leftover=$(find "$prefix/drive_c/users" -iname 'tas*.tmp' -o -iname 'ini*.tmp' -o -iname 'cmp*.tmp' 2>/dev/null | wc -l)
[ "$leftover" = 0 ] || fail "$leftover scratch files left in the temporary folder"

[ "$failures" = 0 ] && echo "cli under Wine: all checks passed"
exit $((failures > 0))
