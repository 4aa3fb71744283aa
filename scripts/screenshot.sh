#!/usr/bin/env bash
# Renders the window to docs/screenshot.png without a display.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
make --no-print-directory build BUILD="$build" >/dev/null
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$build/app/quenby-screenshot" docs/screenshot.png
echo "wrote docs/screenshot.png"
