#!/usr/bin/env bash
# Peak memory and wall time of the command line over large folders of small
# MP3 files (ID3v1 + ID3v2 with Japanese text, bench_mp3_read's folder):
# `list --json` over 10,000 and 100,000 files (output checked identical
# between the programs compared) and `apply` of one new title on each of
# 20,000 files. With OLD=path/to/an/older/hozanki-cli both run, alternating,
# on identical folders (/usr/bin/time -v: "Maximum resident set size").
# Usage: bench/bench_cli_stream.sh [BUILD_DIR]   (OLD= ROUNDS=2)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
ROUNDS=${ROUNDS:-2}
programs=("$build/src/cli/hozanki-cli")
names=(new)
if [[ -n ${OLD:-} ]]; then programs+=("$(realpath "$OLD")"); names+=(old); fi
dir=$(mktemp -d /var/tmp/hozanki-bench-stream-XXXXXX)
trap 'rm -rf "$dir"' EXIT
export HOZANKI_CONFIG_DIR="$dir/config"
mkdir -p "$dir/config"

"$build/bench/bench_mp3_read" --make-folder="$dir/m10k"
copies() {  # copies TIMES TARGET: TIMES copies of the 10,000 files, as "KNAME"
  /usr/bin/python3 - "$dir/m10k" "$2" "$1" <<'PY'
import os, shutil, sys
src, dst, times = sys.argv[1], sys.argv[2], int(sys.argv[3])
os.makedirs(dst, exist_ok=True)
names = sorted(os.listdir(src))
for k in range(times):
    for n in names:
        shutil.copyfile(os.path.join(src, n), os.path.join(dst, f"{k}{n}"))
PY
}
copies 10 "$dir/m100k"
find "$dir/m10k" "$dir/m100k" -type f -exec cat {} + > /dev/null  # warm cache

measure() {  # measure LABEL COMMAND...: "LABEL seconds peak-MB"; stdout to $dir/out
  local label=$1; shift
  /usr/bin/time -v -o "$dir/time" "$@" > "$dir/out" 2> "$dir/err" || { cat "$dir/err"; exit 1; }
  local wall kb
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$dir/time")
  kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$dir/time")
  printf '%-28s %7.2f s %6d MB\n' "$label" "$wall" $((kb / 1024))
}

for folder in m10k m100k; do
  for r in $(seq 1 "$ROUNDS"); do
    for i in "${!programs[@]}"; do
      measure "list --json $folder ${names[$i]}" "${programs[$i]}" list --json "$dir/$folder"
      mv "$dir/out" "$dir/list-${names[$i]}.json"
    done
    if [[ ${#programs[@]} == 2 ]]; then
      cmp -s "$dir/list-new.json" "$dir/list-old.json" || { echo "the listings of $folder differ"; exit 1; }
    fi
  done
done
rm -rf "$dir/m100k" "$dir"/list-*.json

# apply: one folder of 20,000 files per program, a new title on each per round.
for i in "${!programs[@]}"; do copies 2 "$dir/a20k-${names[$i]}"; done
sync  # the copies' write-back is not charged to the first program's flushes
for r in $(seq 1 "$ROUNDS"); do
  for i in "${!programs[@]}"; do
    "${programs[0]}" list --json "$dir/a20k-${names[$i]}" | /usr/bin/python3 -c '
import json, sys
l = json.load(sys.stdin)
for n, e in enumerate(l):
    e["tags"]["ID3v2"]["INAM_v2"] = sys.argv[1] + " " + str(n)
json.dump(l, sys.stdout, ensure_ascii=False)' "round $r" > "$dir/edit.json"
    sync
    measure "apply 20000 ${names[$i]}" "${programs[$i]}" apply "$dir/edit.json"
    grep -q "20000 file(s), 0 unchanged, 0 refused" "$dir/err" || { cat "$dir/err"; exit 1; }
  done
done
