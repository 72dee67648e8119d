#!/usr/bin/env bash
# Builds seed folders for the fuzz targets from the test fixtures:
#   fuzz/make-seeds.sh [DEST]   (default fuzz/corpus; existing files are kept)
# A write target's input is one byte that picks the extension from the
# target's list (fuzz_write_*.cpp, same order as below) followed by the file.
set -euo pipefail
cd "$(dirname "$0")/.."
dest=${1:-fuzz/corpus}
data=tests/data

seed() {  # seed FOLDER PREFIX-BYTE FILE...
  local folder=$dest/$1 byte=$2
  shift 2
  mkdir -p "$folder"
  for f in "$@"; do
    [ -f "$f" ] || continue
    local name
    name=$(echo "$f" | tr '/' '_')
    if [ -n "$byte" ]; then
      { printf "\\x$byte"; cat "$f"; } >"$folder/$name"
    else
      cp "$f" "$folder/$name"
    fi
  done
}

shopt -s nullglob
seed write_mp3 00 "$data"/mp3/*.mp3 "$data"/repro/*.mp3
seed write_mp3 01 "$data"/mp3/*.rmp "$data"/repro/*.rmp
seed write_riff 00 "$data"/wav/*.wav
seed write_riff 01 "$data"/avi/*.avi
seed write_asf_mp4 00 "$data"/wma/*.wma "$data"/repro/*.wma
seed write_asf_mp4 01 "$data"/wma/*.wmv
seed write_asf_mp4 02 "$data"/mp4/*.m4a
seed write_asf_mp4 03 "$data"/mp4/*.mp4 "$data"/repro/*.mp4
seed write_other 00 "$data"/ogg/*.ogg
seed write_other 01 "$data"/ape/*.ape
seed write_other 02 "$data"/vqf/*.vqf "$data"/repro/*.vqf
seed write_other 03 "$data"/flac/*.flac
seed write_other 04 "$data"/ogg/*.opus
seed write_other 05 "$data"/ogg/*.spx
seed write_other 06 "$data"/ogg/*.oga
seed write_other 07 "$data"/ape/*.wv
seed write_other 08 "$data"/ape/*.tak
seed write_other 09 "$data"/ape/*.mpc

seed mp3_parsers "" "$data"/mp3/* "$data"/repro/*.mp3 "$data"/repro/*.rmp
seed mp3_file "" "$data"/mp3/*.mp3 "$data"/repro/*.mp3
seed riff_avi "" "$data"/avi/* "$data"/fuzz/riff_avi/*
seed vqf "" "$data"/vqf/* "$data"/repro/*.vqf
seed tak_header "" "$data"/ape/*.tak
seed asf_video "" "$data"/wma/* "$data"/repro/*.wma
seed mp4_video "" "$data"/mp4/* "$data"/repro/*.mp4
echo "seeds in $dest: $(find "$dest" -type f | wc -l) files"
