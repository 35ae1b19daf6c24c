#!/usr/bin/env bash
# Installs what is missing, builds, makes the sample disc and starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
bash scripts/make-sample-dvd.sh build/sample-dvd/pal pal
exec build/bin/velloric "$PWD/build/sample-dvd/pal"
