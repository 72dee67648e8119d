#!/usr/bin/env bash
# Reading a collection on a slow share. N small tagged MP3s are served by
# bench/slowfs.py, a FUSE file system that waits DELAY ms on every look-up,
# open, read and listing; for each delay the benchmark mounts it, times
#   floor   reading every file whole, 32 at a time (xargs -P 32 -n 4 cat;
#           also -n 1, one cat per file)
#   list    hozanki-cli list --json of the folder
#   load    the window's load engine on the folder (bench_share_load)
#   kid3    kid3-cli exporting the same tags, when kid3-cli is installed
# and the same three (list -r, load with subfolders) for the same N files
# spread over 20 artist folders of 10 album folders each, then saving a new
# title in every one of the N files:
#   apply   hozanki-cli apply of a listing with the N titles changed
#   save    the window's save engine on the folder (bench_share_load --save)
#   kid3    kid3-cli setting one title in all N files and saving them
# and unmounts it again. Then `list --json` of 10,000 files and the same three
# saves of the N files on the local disk.
# With BEFORE=path/to/an/older/hozanki-cli the list (and apply) figures are
# given for it too.
# Runs as root (FUSE mounts); needs python3-fusepy and fuse3.
# Usage: bench/bench_share.sh [BUILD_DIR]   (N=2000 DELAYS="0.5 2 5" ROUNDS=1; DELAYS="": local disk only)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
N=${N:-2000}
DELAYS=${DELAYS-"0.5 2 5"}
ROUNDS=${ROUNDS:-1}
BEFORE=${BEFORE:-}
cli="$build/src/cli/hozanki-cli"
slowfs=$(realpath bench/slowfs.py)
dir=$(mktemp -d /var/tmp/hozanki-share-XXXXXX)
mnt="$dir/mnt"
fs_pid=""
unmount() {
  if mountpoint -q "$mnt" 2>/dev/null; then fusermount3 -u "$mnt" 2>/dev/null || umount -l "$mnt"; fi
  if [ -n "$fs_pid" ]; then wait "$fs_pid" 2>/dev/null || true; fs_pid=""; fi
}
trap 'unmount; rm -rf "$dir"' EXIT
export HOZANKI_CONFIG_DIR="$dir/config"
mkdir -p "$dir/config" "$mnt" "$dir/share"

"$build/bench/bench_mp3_read" --make-folder="$dir/local"
(cd "$dir/local" && ls > "$dir/all" && head -n "$N" "$dir/all" | tr '\n' '\0' | xargs -0 cp -t "$dir/share")
(cd "$dir/share" && ls) > "$dir/names"
# The same files as artist/album/file.
mkdir -p "$dir/share/tree"
i=0
while read -r name; do
  d="$dir/share/tree/artist$((i % 20))/album$((i / 20 % 10))"
  mkdir -p "$d" && ln "$dir/share/$name" "$d/$name"
  i=$((i + 1))
done < "$dir/names"
(cd "$dir/share" && find tree -type f) > "$dir/tree-names"

seconds() {  # seconds COMMAND...: wall time of one run, output thrown away
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null
  end=$(date +%s.%N)
  awk "BEGIN{printf \"%.2f\", $end - $start}"
}
rows() { grep -c '"format"' "$1" || true; }
# retitle LISTING TITLE: the listing with every ID3v2 title set to "TITLE <n>".
retitle() {
  python3 -c 'import json, sys
rows = json.load(open(sys.argv[1]))
for n, row in enumerate(rows):
    row["tags"]["ID3v2"]["INAM_v2"] = "%s %d" % (sys.argv[2], n)
json.dump(rows, sys.stdout, ensure_ascii=False)' "$1" "$2"
}
# saves FOLDER LABEL [BEFORE_CLI]: times apply, the window's save and kid3-cli
# over the N files of FOLDER; prints the part of a report line.
saves() {
  local folder=$1 label=$2 apply save saved failed kid3 line
  "$cli" list --json "$folder" > "$dir/listing.json"
  retitle "$dir/listing.json" "題名$label" > "$dir/titles.json"
  apply=$(seconds sh -c "'$cli' apply '$dir/titles.json' 2> '$dir/apply.err'")
  line="apply ${apply}s ($(tail -n 1 "$dir/apply.err" | grep -o '[0-9]* file(s)'))"
  read -r save saved failed < <("$build/bench/bench_share_load" --save="窓$label" "$folder" "$dir/config")
  line="$line | window save ${save}s ($saved written, $failed failed)"
  if [ -n "${3:-}" ]; then
    "$3" list --json "$folder" > "$dir/listing.json"
    retitle "$dir/listing.json" "前$label" > "$dir/titles.json"
    line="$line | before: apply $(seconds sh -c "'$3' apply '$dir/titles.json' 2> /dev/null")s"
  fi
  if command -v kid3-cli > /dev/null; then
    kid3=$(seconds sh -c "cd '$folder' && kid3-cli -c 'select all' -c 'set title \"kid3$label\" 2' -c save .")
    line="$line | kid3-cli ${kid3}s"
  fi
  echo "$line"
}

for delay in $DELAYS; do
  "$slowfs" "$dir/share" "$mnt" "$delay" --writable &
  fs_pid=$!
  for _ in $(seq 100); do mountpoint -q "$mnt" && break; sleep 0.1; done
  mountpoint -q "$mnt" || { echo "the slow file system did not mount"; exit 1; }
  for round in $(seq "$ROUNDS"); do
    floor=$(seconds sh -c "cd '$mnt' && tr '\n' '\0' < '$dir/names' | xargs -0 -P 32 -n 4 cat")
    floor1=$(seconds sh -c "cd '$mnt' && tr '\n' '\0' < '$dir/names' | xargs -0 -P 32 -n 1 cat")
    list=$(seconds sh -c "'$cli' list --json '$mnt' > '$dir/out.json'")
    listed=$(rows "$dir/out.json")
    read -r load loaded depth < <("$build/bench/bench_share_load" "$mnt")
    line="delay ${delay} ms, $N files, round $round: floor(32) ${floor}s (one cat per file: ${floor1}s) | list ${list}s ($listed rows, $(awk "BEGIN{printf \"%.2f\", $list/$floor}")x floor) | load ${load}s ($loaded rows, depth $depth, $(awk "BEGIN{printf \"%.2f\", $load/$floor}")x floor)"
    if [ -n "$BEFORE" ]; then
      before=$(seconds sh -c "'$BEFORE' list --json '$mnt' > '$dir/before.json'")
      line="$line | before: list ${before}s ($(rows "$dir/before.json") rows)"
    fi
    if command -v kid3-cli > /dev/null; then
      kid3=$(seconds sh -c "cd '$mnt' && kid3-cli -c 'select all' -c 'export /dev/null 1' . ")
      line="$line | kid3-cli ${kid3}s"
    fi
    echo "$line"
    floor=$(seconds sh -c "cd '$mnt' && tr '\n' '\0' < '$dir/tree-names' | xargs -0 -P 32 -n 4 cat")
    list=$(seconds sh -c "'$cli' list -r --json '$mnt/tree' > '$dir/out.json'")
    listed=$(rows "$dir/out.json")
    read -r load loaded depth < <("$build/bench/bench_share_load" -r "$mnt/tree")
    line="delay ${delay} ms, $N files in 200 folders, round $round: floor(32) ${floor}s | list -r ${list}s ($listed rows, $(awk "BEGIN{printf \"%.2f\", $list/$floor}")x floor) | load -r ${load}s ($loaded rows, $(awk "BEGIN{printf \"%.2f\", $load/$floor}")x floor)"
    if [ -n "$BEFORE" ]; then
      before=$(seconds sh -c "'$BEFORE' list -r --json '$mnt/tree' > '$dir/before.json'")
      line="$line | before: list -r ${before}s ($(rows "$dir/before.json") rows)"
    fi
    echo "$line"
    echo "delay ${delay} ms, saving $N titles, round $round: $(saves "$mnt" "${delay}ms$round" "$BEFORE")"
  done
  unmount
done

cat "$dir"/local/* > /dev/null  # warm cache
for round in $(seq "$ROUNDS"); do
  after=$(seconds "$cli" list --json "$dir/local")
  line="local disk, 10000 files, round $round: list ${after}s"
  [ -n "$BEFORE" ] && line="$line | before: list $(seconds "$BEFORE" list --json "$dir/local")s"
  echo "$line"
  echo "local disk, saving $N titles, round $round: $(saves "$dir/share" "local$round" "$BEFORE")"
done
