#!/usr/bin/env bash
# Times `hozanki-cli list --json` over a generated folder of 10,000 MP3 files
# (ID3v1 + ID3v2 with Japanese text): wall time, files per second, peak memory.
# Usage: bench/bench_cli_list.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$build/bench/bench_mp3_read" --make-folder="$dir/music"
cat "$dir"/music/* > /dev/null  # warm cache
for run in 1 2 3; do
  /usr/bin/time -f "%e %M" -o "$dir/time" "$build/src/cli/hozanki-cli" list --json "$dir/music" > "$dir/out.json"
  read -r seconds kilobytes < "$dir/time"
  files=$(grep -c '"format":"MP3"' "$dir/out.json")
  echo "run $run: $files files in ${seconds}s = $(awk "BEGIN{printf \"%d\", $files/$seconds}") files/s, peak RSS $((kilobytes / 1024)) MB"
done
