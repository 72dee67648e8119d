#!/usr/bin/env bash
# Saving one new title in each of N MP3 files of about 5 MB (ID3v2 + ID3v1,
# tagged by mutagen with its usual padding): (a) the window's save engine,
# (b) `hozanki-cli apply` fed by `list --json | python`, and (c) kid3-cli
# setting the same titles on an identical copy of the files, in one run
# each, alternating, ROUNDS times. Then 20 videos of about 40 MB (AVI, MP4)
# through apply and kid3-cli. Wall time and peak memory (/usr/bin/time).
# Needs kid3-cli (Debian package kid3-cli) and python3-mutagen.
# Usage: bench/bench_inplace_vs_kid3.sh [BUILD_DIR]   (N=1000 MB=5 ROUNDS=3 VIDEOS=20)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
N=${N:-1000}
MB=${MB:-5}
ROUNDS=${ROUNDS:-3}
VIDEOS=${VIDEOS:-20}
cli="$build/src/cli/hozanki-cli"
engine="$build/bench/bench_save_inplace"
command -v kid3-cli > /dev/null || { echo "kid3-cli is missing (apt-get install kid3-cli)"; exit 1; }
dir=$(mktemp -d /var/tmp/hozanki-bench-XXXXXX)
trap 'rm -rf "$dir"' EXIT
export HOZANKI_CONFIG_DIR="$dir/config"
mkdir -p "$dir/config" "$dir/h" "$dir/k"

# One seed file: an MPEG stream of MB megabytes with ID3v2.3 and ID3v1.
/usr/bin/python3 - "$dir/seed.mp3" "$MB" tests/data/mp3/plain.mp3 <<'PY'
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB
out, mb, plain = sys.argv[1], int(sys.argv[2]), open(sys.argv[3], 'rb').read()
with open(out, 'wb') as f:
    f.write(plain * (mb * 1024 * 1024 // len(plain)))
t = ID3()
t.add(TIT2(encoding=3, text='seed title'))
t.add(TPE1(encoding=3, text='アーティスト'))
t.add(TALB(encoding=3, text='Album'))
t.save(out, v1=2, v2_version=3)
PY
for i in $(seq -w 1 "$N"); do cp "$dir/seed.mp3" "$dir/h/$i.mp3"; cp "$dir/seed.mp3" "$dir/k/$i.mp3"; done
sync

timed() {  # timed LABEL COMMAND...: prints "LABEL seconds peak-MB"
  local label=$1; shift
  /usr/bin/time -f "%e %M" -o "$dir/time" "$@" > "$dir/out" 2> "$dir/err" || { cat "$dir/err"; exit 1; }
  read -r s kb < "$dir/time"
  echo "$label $s $((kb / 1024))"
}
kid3_args() {  # kid3_args FOLDER TITLE: the commands setting one title per file
  local n=0
  echo "-c"; echo "cd $1"
  for f in $(ls "$1"); do
    printf -- '-c\nselect none\n-c\nselect %s\n-c\nset title %s 2\n' "$f" "'$2 $n'"
    n=$((n + 1))
  done
  echo "-c"; echo "save"
}
listing() {  # listing FOLDER TITLE > FILE.json: list --json with new titles
  "$cli" list --json "$1" | /usr/bin/python3 -c '
import json, sys
l = json.load(sys.stdin)
for n, e in enumerate(l):
    e["tags"]["ID3v2"]["INAM_v2"] = sys.argv[1] + " " + str(n)
json.dump(l, sys.stdout)' "$2"
}

results="$dir/results"
: > "$results"
for r in $(seq 1 "$ROUNDS"); do
  read -r files s kb < <("$engine" "$dir/h" "engine $r")
  echo "engine $s $((kb / 1024))" | tee -a "$results"
  listing "$dir/h" "apply $r" > "$dir/edit.json"
  timed apply "$cli" apply "$dir/edit.json" | tee -a "$results"
  mapfile -t args < <(kid3_args "$dir/k" "kid3 $r")
  timed kid3 kid3-cli "${args[@]}" | tee -a "$results"
done
# Every file written: the last titles read back.
first=$(ls "$dir/h" | head -1)
written=$("$cli" list --json "$dir/h/$first")
[[ $written == *"\"apply $ROUNDS 0\""* ]] || { echo "apply did not write $first: $written"; exit 1; }
/usr/bin/python3 -c "
import sys; from mutagen.id3 import ID3; t=str(ID3(sys.argv[1])['TIT2']); sys.exit(0 if t=='kid3 $ROUNDS 0' else 'kid3 wrote '+t)" "$dir/k/$first"

summary() {
  awk -v what="$1" '
    { t[$1] += $2; if ($3 > m[$1]) m[$1] = $3; c[$1]++ }
    END {
      printf "%s: engine %.2fs, apply %.2fs, kid3-cli %.2fs (means over %d rounds)\n", what, t["engine"]/c["engine"], t["apply"]/c["apply"], t["kid3"]/c["kid3"], c["kid3"]
      if (t["kid3"] > 0) printf "  ratio apply/kid3-cli %.2f, engine/kid3-cli %.2f\n", t["apply"]/t["kid3"], t["engine"]/t["kid3"]
      printf "  peak memory: engine %d MB, apply %d MB, kid3-cli %d MB\n", m["engine"], m["apply"], m["kid3"]
    }' "$2"
}
summary "$N MP3 files of $MB MB" "$results"

# The copy path, for comparison (every file rewritten, flushed and renamed).
read -r files s kb < <("$engine" "$dir/h" "copy" --copy)
echo "engine, every file as a new copy (no in-place writes): ${s}s, $((kb / 1024)) MB"

# Videos: AVI and MP4 of about 40 MB.
rm -rf "$dir/h" "$dir/k"
mkdir -p "$dir/vh" "$dir/vk"
for ext in avi mp4; do
  ffmpeg -v error -y -f lavfi -i "nullsrc=s=320x240:r=25:d=20,geq=random(1)*255:128:128" -f lavfi -i anoisesrc=d=20 \
    -c:v mpeg4 -b:v 16M -minrate 16M -maxrate 16M -bufsize 4M -c:a mp3 -metadata title=seed "$dir/seed.$ext" < /dev/null
done
for i in $(seq -w 1 $((VIDEOS / 2))); do
  for ext in avi mp4; do cp "$dir/seed.$ext" "$dir/vh/$i.$ext"; cp "$dir/seed.$ext" "$dir/vk/$i.$ext"; done
done
sync
echo "videos: $(ls "$dir/vh" | wc -l) files of $(($(stat -c %s "$dir/seed.avi") / 1048576)) MB (AVI) and $(($(stat -c %s "$dir/seed.mp4") / 1048576)) MB (MP4)"
: > "$results"
for r in $(seq 1 "$ROUNDS"); do
  "$cli" list --json "$dir/vh" | /usr/bin/python3 -c '
import json, sys
l = json.load(sys.stdin)
for n, e in enumerate(l):
    for kind in e["tags"].values(): kind["INAM"] = sys.argv[1] + " " + str(n)
json.dump(l, sys.stdout)' "video $r" > "$dir/edit.json"
  timed apply "$cli" apply "$dir/edit.json" | tee -a "$results"
  mapfile -t args < <(kid3_args "$dir/vk" "video $r")
  timed kid3 kid3-cli "${args[@]}" | tee -a "$results"
done
awk '{ t[$1] += $2; if ($3 > m[$1]) m[$1] = $3 }
  END { ratio = 0; if (t["kid3"] > 0) ratio = t["apply"] / t["kid3"]
        printf "videos: apply %.2fs, kid3-cli %.2fs in all, ratio %.2f; peak memory apply %d MB, kid3-cli %d MB\n",
        t["apply"], t["kid3"], ratio, m["apply"], m["kid3"] }' "$results"
