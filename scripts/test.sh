#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
export QT_QPA_PLATFORM=xcb
cd build
xvfb-run -a -s "-screen 0 1280x800x24" ctest --output-on-failure -j1
