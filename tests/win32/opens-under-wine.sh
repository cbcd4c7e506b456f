#!/usr/bin/env bash
# opens-under-wine.sh PREFIX PATTERN PROGRAM ARGS...: runs PROGRAM under Wine with its file
# calls traced; exits 3 when it opened (NtCreateFile) a name that matches PATTERN (an
# extended regular expression, any case), otherwise as the program did. Its own output
# goes to stdout and stderr, the trace elsewhere.
set -uo pipefail
prefix=$1 pattern=$2
shift 2
runner=$(dirname "$0")/run-under-wine.sh
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
TASTAVIA_WINEDEBUG=trace+file timeout 300 "$runner" "$prefix" "$@" 2>"$trace" </dev/null
status=$?
grep -v '^[0-9a-f]*:trace:' "$trace" >&2
opened=$(grep -o 'NtCreateFile .*name=L"[^"]*"' "$trace" | sed 's/.*name=//' | grep -iE "$pattern")
if [ -n "$opened" ]; then echo "opened: $opened" >&2; exit 3; fi
exit "$status"
