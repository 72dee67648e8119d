#!/usr/bin/env bash
# The kill test of in-place batches with its files on a slow share: mounts
# bench/slowfs.py (writable, 1 ms per request) on a temporary folder, runs a
# short round of KillSafety.InPlaceBatches... with its files there (the
# settings folder, with the journal, stays on the local disk) and unmounts.
# Exits 77 (skipped) where no FUSE file system can be mounted: no usable
# /dev/fuse (not root, a container without it) or no python3-fusepy.
# Usage: kill_on_slow_share.sh HOZANKI_CLI_TESTS SLOWFS_PY [FILES KILLS DELAY_MS]
set -u
tests=$1
slowfs=$2
files=${3:-8}
kills=${4:-8}
delay=${5:-1}
[ -c /dev/fuse ] && [ -r /dev/fuse ] && [ -w /dev/fuse ] || { echo "skipped: /dev/fuse cannot be used"; exit 77; }
/usr/bin/python3 -c 'import fusepy' 2>/dev/null || { echo "skipped: python3-fusepy is not installed"; exit 77; }
dir=$(mktemp -d "${TMPDIR:-/tmp}/hozanki-slowshare-XXXXXX")
fs_pid=""
cleanup() {
  if mountpoint -q "$dir/mnt" 2>/dev/null; then
    fusermount3 -u "$dir/mnt" 2>/dev/null || fusermount -u "$dir/mnt" 2>/dev/null || umount -l "$dir/mnt"
  fi
  [ -n "$fs_pid" ] && wait "$fs_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
mkdir -p "$dir/share" "$dir/mnt"
/usr/bin/python3 "$slowfs" "$dir/share" "$dir/mnt" "$delay" --writable 2> "$dir/slowfs.log" &
fs_pid=$!
for _ in $(seq 100); do mountpoint -q "$dir/mnt" && break; sleep 0.1; done
if ! mountpoint -q "$dir/mnt"; then
  echo "skipped: the slow file system could not be mounted: $(tail -n 1 "$dir/slowfs.log")"
  exit 77
fi
HOZANKI_KILL_DIR="$dir/mnt" HOZANKI_KILL_FILES="$files" HOZANKI_KILL_KILLS="$kills" \
  "$tests" --gtest_filter='KillSafety.InPlaceBatches*'
