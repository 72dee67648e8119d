#!/usr/bin/env bash
# FLAC against kid3-cli, in one run:
#  (1) reading READ files of about one second (Vorbis comments in Japanese,
#      a cover PICTURE, padding): `hozanki-cli list --json` against kid3-cli
#      exporting the same tags, ROUNDS times alternating, warm cache;
#  (2) saving one changed title on SAVE files of about MB megabytes each:
#      `hozanki-cli apply` (fed by `list --json | python`, not timed) against
#      kid3-cli setting the same titles on an identical copy, ROUNDS times.
# Wall time and peak memory (/usr/bin/time). apply's saves are durable (the
# journal and its flushes, one syncfs per batch, which also waits for other
# programs' writes on the same file system); kid3-cli flushes nothing, so a
# busy disk moves the saving ratio. Needs kid3-cli, flac/metaflac,
# ffmpeg and python3.
# Usage: bench/bench_flac_vs_kid3.sh [BUILD_DIR]   (READ=10000 SAVE=200 MB=30 ROUNDS=3;
#        READ=0 or SAVE=0 leaves that part out)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
READ=${READ:-10000}
SAVE=${SAVE:-200}
MB=${MB:-30}
ROUNDS=${ROUNDS:-3}
cli="$build/src/cli/hozanki-cli"
for tool in kid3-cli metaflac ffmpeg; do
  command -v $tool > /dev/null || { echo "$tool is missing"; exit 1; }
done
dir=$(mktemp -d /var/tmp/hozanki-bench-flac-XXXXXX)
trap 'rm -rf "$dir"' EXIT
export HOZANKI_CONFIG_DIR="$dir/config"
mkdir -p "$dir/config"

timed() {  # timed LABEL COMMAND...: prints "LABEL seconds peak-MB"
  local label=$1; shift
  /usr/bin/time -f "%e %M" -o "$dir/time" "$@" > "$dir/out" 2> "$dir/err" || { cat "$dir/err"; exit 1; }
  read -r s kb < "$dir/time"
  echo "$label $s $((kb / 1024))"
}
tag() {  # tag FILE: the Vorbis comments and a cover of a ripped album track
  metaflac --remove-all --dont-use-padding "$1"
  metaflac --set-tag="TITLE=夜明けの歌" --set-tag="ARTIST=山下達郎" --set-tag="ALBUM=アルバム" \
    --set-tag="TRACKNUMBER=3" --set-tag="DATE=1999" --set-tag="GENRE=J-POP" \
    --set-tag="COMMENT=日本語のコメント" --import-picture-from="3||Cover||$dir/cover.png" "$1"
  metaflac --add-padding=8192 "$1"
}
results="$dir/results"
: > "$results"
ffmpeg -v error -y -f lavfi -i "nullsrc=s=160x160,geq=random(1)*255:128:128" -frames:v 1 "$dir/cover.png"

# (1) Reading.
if (( READ > 0 )); then
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=1:sample_rate=44100" -ac 2 -c:a flac "$dir/read.flac"
tag "$dir/read.flac"
mkdir -p "$dir/read"
/usr/bin/python3 - "$dir/read.flac" "$dir/read" "$READ" <<'PY'
import shutil, sys
for i in range(int(sys.argv[3])):
    shutil.copyfile(sys.argv[1], f"{sys.argv[2]}/曲{i:05d}.flac")
PY
cat "$dir"/read/* > /dev/null  # warm cache
echo "reading: $READ FLAC files of $(stat -c %s "$dir/read.flac") bytes"
for r in $(seq 1 "$ROUNDS"); do
  timed hozanki "$cli" list --json "$dir/read" | tee -a "$results"
  listed=$(grep -c '"format":"FLAC"' "$dir/out")
  [[ $listed == "$READ" ]] || { echo "list --json listed $listed files"; exit 1; }
  timed kid3 sh -c "cd '$dir/read' && kid3-cli -c 'timeout off' -c 'select all' -c 'export /dev/null 1' ." | tee -a "$results"
done
awk -v n="$READ" '{ t[$1] += $2; c[$1]++; if ($3 > m[$1]) m[$1] = $3 }
  END { printf "reading %d FLAC files: hozanki-cli list --json %.2fs, kid3-cli %.2fs (means over %d rounds), ratio %.3f (target <= 0.15)\n",
          n, t["hozanki"]/c["hozanki"], t["kid3"]/c["kid3"], c["kid3"], t["hozanki"]/t["kid3"]
        printf "  peak memory: hozanki-cli %d MB, kid3-cli %d MB\n", m["hozanki"], m["kid3"] }' "$results"
rm -rf "$dir/read"
fi
(( SAVE > 0 )) || exit 0

# (2) Saving: noise, which FLAC shrinks to about 132 kB a second (the same
# in both channels), for files of about MB megabytes.
seconds=$((MB * 1024 * 1024 / 132000))
ffmpeg -v error -y -f lavfi -i "anoisesrc=d=$seconds:c=white:a=0.9:r=44100" -ac 2 -c:a flac "$dir/save.flac"
tag "$dir/save.flac"
mkdir -p "$dir/h" "$dir/k"
for i in $(seq -w 1 "$SAVE"); do cp "$dir/save.flac" "$dir/h/$i.flac"; cp "$dir/save.flac" "$dir/k/$i.flac"; done
sync
echo "saving: $SAVE FLAC files of $(($(stat -c %s "$dir/save.flac") / 1048576)) MB"
kid3_args() {  # kid3_args FOLDER TITLE: the commands setting one title per file
  local n=0
  echo "-c"; echo "timeout off"; echo "-c"; echo "cd $1"
  for f in $(ls "$1"); do
    printf -- '-c\nselect none\n-c\nselect %s\n-c\nset title %s 2\n' "$f" "'$2 $n'"
    n=$((n + 1))
  done
  echo "-c"; echo "save"
}
: > "$results"
for r in $(seq 1 "$ROUNDS"); do
  "$cli" list --json "$dir/h" | /usr/bin/python3 -c '
import json, sys
l = json.load(sys.stdin)
for n, e in enumerate(l):
    e["tags"]["FLAC"]["INAM"] = sys.argv[1] + " " + str(n)
json.dump(l, sys.stdout)' "apply $r" > "$dir/edit.json"
  timed apply "$cli" apply "$dir/edit.json" | tee -a "$results"
  mapfile -t args < <(kid3_args "$dir/k" "kid3 $r")
  timed kid3 kid3-cli "${args[@]}" | tee -a "$results"
done
# Every file written, and still a valid stream.
first=$(ls "$dir/h" | head -1)
[[ $(metaflac --show-tag=TITLE "$dir/h/$first") == "TITLE=apply $ROUNDS 0" ]] || { echo "apply did not write $first"; exit 1; }
[[ $(metaflac --show-tag=TITLE "$dir/k/$first") == "TITLE=kid3 $ROUNDS 0" ]] || { echo "kid3-cli did not write $first"; exit 1; }
flac -t -s "$dir/h/$first"
awk -v n="$SAVE" '{ t[$1] += $2; c[$1]++; if ($3 > m[$1]) m[$1] = $3 }
  END { printf "saving %d FLAC titles: hozanki-cli apply %.2fs, kid3-cli %.2fs (means over %d rounds), ratio %.3f (target <= 0.5)\n",
          n, t["apply"]/c["apply"], t["kid3"]/c["kid3"], c["kid3"], t["apply"]/t["kid3"]
        printf "  peak memory: apply %d MB, kid3-cli %d MB\n", m["apply"], m["kid3"] }' "$results"
