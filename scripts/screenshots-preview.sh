#!/usr/bin/env bash
# Saves pictures of the preview playing the sample disc and of the time editor, on a virtual X display.
#
#   screenshots-preview.sh [OUTPUT_DIR]     (default: docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target velloric_preview_screenshots
bash scripts/make-sample-dvd.sh build/sample-dvd/pal pal
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" build/tests/velloric_preview_screenshots "$out"
