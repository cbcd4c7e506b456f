#!/usr/bin/env bash
# check-dist.sh DIST ZIP: the release folder holds what a Windows user needs, the programs
# stripped, tastavia.exe under 1 MB, the text with Windows line ends, and the zip all of it.
set -uo pipefail
dist=$1 zip=$2
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
limit=$((1024 * 1024))

expected="BDS.ini PHONETIC.ini README.TXT tastavia-cli.exe tastavia.exe"
found=$(cd "$dist" && ls | sort | tr '\n' ' ' | sed 's/ $//')
[ "$found" = "$expected" ] || fail "dist holds '$found', not '$expected'"

size=$(stat -c %s "$dist/tastavia.exe" 2>/dev/null || echo 0)
[ "$size" -gt 0 ] && [ "$size" -lt "$limit" ] || fail "tastavia.exe is $size bytes, not under $limit"
for exe in tastavia.exe tastavia-cli.exe; do
  # A stripped image keeps no symbol table and no debug sections.
  if i686-w64-mingw32-objdump -h "$dist/$exe" | grep -q '\.debug_'; then fail "$exe has debug sections"; fi
  [ -z "$(i686-w64-mingw32-nm "$dist/$exe" 2>/dev/null | head -1)" ] || fail "$exe has symbols"
done
for ini in BDS.ini PHONETIC.ini; do
  cmp -s "$dist/$ini" "$(dirname "$0")/../resources/$ini" || fail "$ini differs from resources/$ini"
done

readme=$dist/README.TXT
[ -s "$readme" ] || fail "README.TXT is empty"
lines=$(grep -c '' "$readme")
crlf=$(grep -c $'\r$' "$readme")
[ "$lines" -eq "$crlf" ] || fail "README.TXT: $((lines - crlf)) of $lines lines lack CRLF"
LC_ALL=C grep -q '[^[:print:][:space:]]' "$readme" && fail "README.TXT is not plain ASCII"

listed=$(cmake -E tar tf "$zip" 2>/dev/null | sort | tr '\n' ' ' | sed 's/ $//')
[ "$listed" = "$expected" ] || fail "the zip holds '$listed', not '$expected'"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip") && cmp -s "$work/tastavia.exe" "$dist/tastavia.exe" \
  || fail "tastavia.exe in the zip differs from dist/"

echo "dist: tastavia.exe $size bytes, tastavia-cli.exe $(stat -c %s "$dist/tastavia-cli.exe") bytes"
[ "$failures" -eq 0 ]
