#!/usr/bin/env bash
# The whole-table commands of the main window at N rows, through the real
# window: bench_gui_window_ops opens a generated folder of N small MP3s (one
# ID3v2 title each) and times each command from its key press, header click
# or menu item until the event queue is empty again (see that program), plus
# the window's peak memory. Then saving a cleared title column of every file
# through the window (Ctrl+S, until the re-read is over) against
# `hozanki-cli apply` of the same change on an identical copy.
# Medians over ROUNDS runs. Then, where kid3-qt is installed (Debian
# package kid3-qt; also needs xvfb and dbus), the same folder in kid3-qt for
# the commands it has (bench/kid3_window_ops.sh: load, select all, one field
# set on all selected files), once, for sizes up to KID3_MAX rows (default
# 20000: its select-all grows fast); KID3_MAX=0 leaves it out. With XVFB=1 the window runs on a private Xvfb
# display (xcb, real painting; needs xvfb and x11-utils) instead of offscreen.
# Usage: bench/bench_window_ops.sh [BUILD_DIR]   (SIZES="10000 20000 100000" ROUNDS=3 KID3_MAX=20000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
SIZES=${SIZES:-"10000 20000 100000"}
ROUNDS=${ROUNDS:-3}
KID3_MAX=${KID3_MAX:-20000}
ops="$build/bench/bench_gui_window_ops"
cli="$build/src/cli/hozanki-cli"
[[ -x $ops && -x $cli ]] || { echo "build bench_gui_window_ops and hozanki-cli first"; exit 1; }
dir=$(mktemp -d /tmp/hozanki-window-ops-XXXXXX)
xvfb=
trap 'rm -rf "$dir"; [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null; true' EXIT
export HOZANKI_CONFIG_DIR="$dir/config"
mkdir -p "$HOZANKI_CONFIG_DIR"
if [[ ${XVFB:-0} == 1 ]]; then
  display=:$((200 + RANDOM % 50))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do DISPLAY=$display xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
  export DISPLAY=$display QT_QPA_PLATFORM=xcb
fi

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
seconds() { /usr/bin/time -f %e "$@" 2>&1 > /dev/null | tail -n 1; }

for n in $SIZES; do
  corpus="$dir/c$n"
  "$ops" --corpus "$n" "$corpus"
  : > "$dir/runs"
  for r in $(seq "$ROUNDS"); do
    "$ops" "$n" "$corpus" 2> /dev/null | awk -v r="$r" '$3 == "s" || $3 == "MB" { print r, $1, $2 }' >> "$dir/runs"
  done
  # Saving: the window against the command line, each on its own copy.
  : > "$dir/saves"
  for r in $(seq "$ROUNDS"); do
    rm -rf "$dir/w" "$dir/a"
    cp -r "$corpus" "$dir/w"
    cp -r "$corpus" "$dir/a"
    OPS=save SAVE=1 "$ops" "$n" "$dir/w" 2> /dev/null | awk '$1 == "save" { print "window", $2 }' >> "$dir/saves"
    "$cli" list --json "$dir/a" | /usr/bin/python3 -c '
import json, sys
rows = json.load(sys.stdin)
for row in rows:
    row["tags"]["ID3v2"]["INAM_v2"] = ""
json.dump(rows, sys.stdout)' > "$dir/edit.json"
    echo "apply $(seconds "$cli" apply "$dir/edit.json")" >> "$dir/saves"
  done
  echo "== $n rows (medians of $ROUNDS runs)"
  for op in $(awk '{ print $2 }' "$dir/runs" | awk '!seen[$0]++'); do
    unit=s
    [[ $op == peak ]] && unit=MB
    printf "  %-14s %8s %s\n" "$op" "$(awk -v o="$op" '$2 == o { print $3 }' "$dir/runs" | median)" "$unit"
  done
  w=$(awk '$1 == "window" { print $2 }' "$dir/saves" | median)
  a=$(awk '$1 == "apply" { print $2 }' "$dir/saves" | median)
  printf "  %-14s %8s s   hozanki-cli apply %s s   ratio %.2f\n" "save" "$w" "$a" "$(echo "$w / $a" | bc -l)"
  if (( n <= KID3_MAX )); then
    bench/kid3_window_ops.sh "$corpus" | sed 's/^/  /'
  fi
  rm -rf "$corpus" "$dir/w" "$dir/a" "$dir/edit.json"
done
