#!/usr/bin/env bash
# Makes resources/screenshots/main-window.png, the screenshot that the
# AppStream metadata shows: the main window on four MP3 fixtures under Xvfb,
# grabbed with ffmpeg. Needs xvfb and ffmpeg and a built ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
program=$(realpath "$BUILD_DIR/src/gui/hozanki")
out=$PWD/resources/screenshots/main-window.png
work=$(mktemp -d)
display=:$((50 + RANDOM % 40))
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/music" "$work/config" "$work/tmp" "$(dirname "$out")"
chmod 700 "$work/tmp"
cp tests/data/mp3/{id3v22,sjis_id3v2,utf16_id3v2,utf8_id3v24}.mp3 "$work/music/"
printf '[Window]\r\nTop=0\r\nLeft=0\r\nHeight=480\r\nWidth=900\r\nSplit2=170\r\n' >"$work/config/NR284.ini"
Xvfb "$display" -screen 0 900x480x24 >/dev/null 2>&1 &
pids+=($!)
sleep 2
DISPLAY=$display HOZANKI_CONFIG_DIR="$work/config" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/tmp" \
  "$program" "$work"/music/*.mp3 >/dev/null 2>&1 &
pids+=($!)
sleep 5
ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size 900x480 -i "$display" -frames:v 1 "$out"
echo "wrote $out"
