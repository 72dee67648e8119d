#!/usr/bin/env bash
# Sets everything up and starts Hozanki.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec "${BUILD_DIR:-build}/src/gui/hozanki" "$@"
