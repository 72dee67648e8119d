#!/usr/bin/env bash
# Regenerates the small media fixtures in tests/data from Debian tools
# (ffmpeg, lame, mutagen) and the project's own writers.
set -euo pipefail
cd "$(dirname "$0")/.."
for part in scripts/fixtures/*.sh; do
  echo "== $part"
  bash "$part"
done
