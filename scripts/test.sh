#!/usr/bin/env bash
# Sets everything up, runs the whole test suite, then the core and
# command-line tests again under the sanitizers (scripts/sanitize-tests.sh;
# HOZANKI_SKIP_SANITIZE=1 skips that), then checks the Debian package
# (scripts/package-check.sh; PACKAGE_CHECK=0 skips that).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
(cd "${BUILD_DIR:-build}" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")
if [ "${HOZANKI_SKIP_SANITIZE:-0}" != 1 ]; then
  scripts/sanitize-tests.sh
fi
scripts/package-check.sh
