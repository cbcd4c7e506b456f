#!/usr/bin/env bash
# check-imports.sh EXE...: fails when an executable imports a DLL that Windows 98 lacks.
set -euo pipefail
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll comctl32.dll comdlg32.dll shell32.dll msvcrt.dll"
status=0
for exe in "$@"; do
  dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  echo "$(basename "$exe"): $(echo $dlls)"
  for dll in $dlls; do
    case " $allowed " in
      *" $dll "*) ;;
      *) echo "  not on Windows 98: $dll" >&2; status=1 ;;
    esac
  done
done
exit $status
