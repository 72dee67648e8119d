#!/usr/bin/env bash
# Sets everything up, runs the whole test suite, then checks the Debian
# package (scripts/package-check.sh; PACKAGE_CHECK=0 skips that).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
(cd "${BUILD_DIR:-build}" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")
scripts/package-check.sh
