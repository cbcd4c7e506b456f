#!/usr/bin/env bash
# full-disk.sh CLI: on a full disk and on a read-only file system, every command either
# does all it should or fails and leaves every file as it was, with no scratch file left.
# Needs root to mount a small tmpfs; skips (exit 77) where that is not permitted.
set -uo pipefail
cli=$(realpath "$1")
skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "mounting a small file system needs root"
top=$(mktemp -d)
disk=$top/disk roomy=$top/roomy tmp=$top/tmp
mkdir -p "$disk" "$tmp"
if ! mount -t tmpfs -o size=128k tmpfs "$disk" 2>/dev/null; then rm -rf "$top"; skip "mount is not permitted here"; fi
trap 'umount "$disk" 2>/dev/null; rm -rf "$top"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Every file of a folder with its checksum: what "as it was" compares.
state() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 -r sha1sum); }

# The files the commands work on, alike in both folders.
make_files() {
  TMPDIR=$tmp "$cli" new --os xp --bds -o "$1/k.dll" >/dev/null || fail "setting up k.dll"
  head -c 4000 /dev/urandom | base64 -w 76 | head -c 4000 > "$1/o.ini"
  printf '[KBD]\r\n1=168\r\n49=192\r\n' > "$1/in.ini"
  head -c 5632 /dev/urandom > "$1/old.lay"
}
make_files "$disk"
# Fill the small disk up to its last byte.
dd if=/dev/zero of="$disk/filler" bs=4096 2>/dev/null
dd if=/dev/zero of="$disk/filler2" bs=1 2>/dev/null

commands=(
  "new --os xp -o old.lay"
  "new --os 2000 --phonetic -o fresh.dll"
  "export k.dll -o o.ini"
  "export k.dll -o fresh.ini"
  "import k.dll in.ini"
)

# Runs every command on a roomy copy of the disk (the expected result) and on the disk
# itself; TMPDIR is where scratch copies go.
check_all() {
  local label=$1 scratch=$2
  for command in "${commands[@]}"; do
    rm -rf "$roomy" && cp -a "$disk" "$roomy"
    (cd "$roomy" && TMPDIR=$tmp "$cli" $command >/dev/null 2>&1) || fail "$command does not work with room"
    local before after code
    before=$(state "$disk")
    (cd "$disk" && TMPDIR=$scratch "$cli" $command >/dev/null 2>"$top/err"); code=$?
    after=$(state "$disk")
    if [ "$code" = 0 ]; then
      [ "$after" = "$(state "$roomy")" ] || fail "$label: $command exits 0 but its result differs"
    else
      [ "$after" = "$before" ] || fail "$label: $command exits $code and changed files: $(diff <(echo "$before") <(echo "$after") | head -5)"
      [ "$(wc -l < "$top/err")" = 1 ] || fail "$label: $command: the message is not one line"
    fi
    [ -z "$(ls -A "$tmp")" ] || fail "$label: $command left scratch files: $(ls -A "$tmp")"
  done
}

check_all "full disk" "$tmp"
check_all "full disk, scratch on it" "$disk"
mount -o remount,ro "$disk" || skip "cannot make the file system read-only"
check_all "read-only file system" "$tmp"

[ "$failures" = 0 ] && echo "full disk and read-only target: all checks passed"
exit $((failures > 0))
