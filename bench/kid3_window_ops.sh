#!/usr/bin/env bash
# The peer tag editor kid3-qt over the same folder, for the commands it has
# of bench_gui_window_ops: load, select all, and setting one field (the
# ID3v2 album) on every selected file, driven through its D-Bus interface on
# a private Xvfb display and session bus. Each time runs from the call until
# the program has used no processor time for QUIET seconds (that quiet spell
# not counted), as the window's benchmark waits for an empty event queue.
# Prints lines as bench_gui_window_ops does, then the peak memory.
# Needs kid3-qt (Debian package kid3-qt), xvfb and dbus (dbus-run-session).
# Usage: bench/kid3_window_ops.sh FOLDER
set -euo pipefail
[[ ${1:-} ]] || { echo "usage: $0 FOLDER" >&2; exit 2; }
if [[ -z ${KID3_INNER:-} ]]; then
  for tool in kid3-qt Xvfb dbus-run-session dbus-send; do
    command -v "$tool" > /dev/null || { echo "kid3: $tool is missing, skipped" >&2; exit 0; }
  done
  KID3_INNER=1 exec dbus-run-session -- "$0" "$@" 2> >(grep -v "fd limit" >&2)
fi
folder=$(realpath "$1")
QUIET=${QUIET:-0.5}
home=$(mktemp -d /tmp/hozanki-kid3-XXXXXX)
display=:$((250 + RANDOM % 50))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
kid3=
trap 'kill $kid3 $xvfb 2> /dev/null; rm -rf "$home"' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb HOME=$home kid3-qt > /dev/null 2>&1 &
kid3=$!
service=org.kde.kid3-$kid3
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest="$service" /Kid3 org.freedesktop.DBus.Peer.Ping > /dev/null 2>&1 && break
  sleep 0.1
done
ticks() { awk '{ print $14 + $15 }' "/proc/$kid3/stat"; }
# Waits until kid3-qt has used no processor time for QUIET seconds.
settle() {
  local before after
  before=$(ticks)
  while sleep "$QUIET"; after=$(ticks); [[ $after != "$before" ]]; do before=$after; done
}
call() { dbus-send --session --print-reply --reply-timeout=600000 --dest="$service" /Kid3 "org.kde.Kid3.$1" "${@:2}" > /dev/null; }
timed() {  # timed NAME METHOD ARGS...
  local name=$1 start end
  shift
  settle
  start=$(date +%s.%N)
  call "$@"
  settle
  end=$(date +%s.%N)
  printf "kid3-%-9s %8.3f s\n" "$name" "$(echo "$end - $start - $QUIET" | bc -l)"
}
timed load openDirectory string:"$folder"
timed select-all selectAll
timed set-all setFrame int32:2 string:album string:album
printf "kid3-peak      %8.0f MB\n" "$(awk '/^VmHWM:/ { print $2 / 1024 }' "/proc/$kid3/status")"
